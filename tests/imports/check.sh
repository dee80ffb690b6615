#!/usr/bin/env bash
# Whether the program starts on every Windows from XP SP3 and Server 2003 SP2 on: Windows
# refuses to load a program that imports a function it lacks, and Wine has every function
# whatever version it reports, so only the import table shows this. Each import must be in
# functions.txt with a Windows no later than those, and the PE subsystem version at most
# 5.01 (older loaders refuse later ones).
#   tests/imports/check.sh <Morvessa.exe>
list=$(dirname "${BASH_SOURCE[0]}")/functions.txt
i686-w64-mingw32-objdump -p "$1" | awk -v list="$list" '
    BEGIN {
        while ((getline line < list) > 0)
            if (line !~ /^#/ && split(line, f) == 3) windows[tolower(f[1]) " " f[2]] = f[3]
    }
    /^M[a-z]+SubsystemVersion/ { version[$1] = $2 }
    /DLL Name:/ { dll = tolower($3) }
    dll != "" && /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ {
        ++count
        if (!(dll " " $3 in windows)) { print $3 " (" dll "): not in " list; bad = 1 }
        else if (windows[dll " " $3] !~ /^(2000|XP|XP-SP2|2003)$/) { print $3 " (" dll "): Windows " windows[dll " " $3]; bad = 1 }
    }
    END {
        if (version["MajorSubsystemVersion"] * 100 + version["MinorSubsystemVersion"] > 501) { print "subsystem version above 5.01"; bad = 1 }
        if (count == 0) { print "no imports read"; bad = 1 }
        exit bad
    }' || { echo "$1 does not start on Windows XP SP3" >&2; exit 1; }
