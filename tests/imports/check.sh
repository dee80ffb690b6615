#!/usr/bin/env bash
# Whether the program starts on every Windows from XP SP3 and Server 2003 SP2 on: Windows
# refuses to load a program that imports a function it lacks, and Wine has every function
# whatever version it reports, so only the import table shows this. Each import must be in
# functions.txt with a Windows no later than those, and the PE subsystem version at most
# 5.01 (later values are refused by older loaders).
#   tests/imports/check.sh <Morvessa.exe>
set -uo pipefail
list=$(dirname "${BASH_SOURCE[0]}")/functions.txt
i686-w64-mingw32-objdump -p "$1" | awk -v list="$list" '
    BEGIN {
        split("2000 XP XP-SP2 2003", old)
        for (i in old) supported[old[i]] = 1
        while ((getline line < list) > 0)
            if (line !~ /^#/ && split(line, f) == 3) windows[tolower(f[1]) " " f[2]] = f[3]
    }
    /^MajorSubsystemVersion/ { major = $2 }
    /^MinorSubsystemVersion/ { minor = $2 }
    /DLL Name:/ { dll = tolower($3) }
    dll != "" && /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ {
        key = dll " " $3
        if (!(key in windows)) { print $3 " (" dll "): not in " list; bad = 1 }
        else if (!(windows[key] in supported)) { print $3 " (" dll "): Windows " windows[key]; bad = 1 }
        ++count
    }
    END {
        if (major * 100 + minor > 501) { print "subsystem version " major "." minor; bad = 1 }
        if (count == 0) { print "no imports read"; bad = 1 }
        exit bad
    }' || { echo "$1 does not start on Windows XP SP3" >&2; exit 1; }
