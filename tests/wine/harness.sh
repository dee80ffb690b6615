# The case runner shared by the Wine test scripts. Source it after lib.sh and after
# setting BIN (the folder with Morvessa.exe and the test tools). A case records its
# failures with fail/check_eq and goes on, so that it always reaches its cleanup; each
# script ends with `run_cases NAME [case...]`, which prints "NAME: N passed, M failed".

# Checks are explicit; a failing command does not end the script.
set +e

PASSED=0
FAILED=0
FAILURES=()
CASE_OK=1
# Run after every case, when set (the scripts whose cases each make their own machine).
AFTER_EACH_CASE=${AFTER_EACH_CASE:-}

fail() {
    echo "    FAIL: $*"
    CASE_OK=0
}

check_eq() { # what expected actual
    if [ "$2" != "$3" ]; then
        fail "$1: expected [$2], got [$3]"
    fi
}

# The UTF-8 locale makes Wine pass non-ASCII arguments (titles, item texts) intact.
probe() { LC_ALL=C.UTF-8 wine "$BIN/windowprobe.exe" "$@" | tr -d '\r'; }

# Whether the windows with that title (every window for "") show the text. The listing
# is read whole before it is searched: with pipefail, grep -q stopping early would make
# the writer's SIGPIPE read as "not found".
windows_show() { # title fixed-text
    local listing
    if [ -n "$1" ]; then listing=$(probe list "$1"); else listing=$(probe list); fi
    grep -qF -- "$2" <<<"$listing"
}

start_program() { # [launcher args...]: starts Morvessa.exe in the background; PROGRAM=pid
    wine "$@" "$BIN/Morvessa.exe" &
    PROGRAM=$!
    wine_track "$PROGRAM"
}

# Waits for a background process to end; fails the case if it is still running.
wait_ends() { # pid seconds what
    local pid=$1
    for _ in $(seq $(($2 * 10))); do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid" 2>/dev/null
            return 0
        fi
        sleep 0.1
    done
    fail "$3 did not end within $2 s"
    return 1
}

run_case() {
    CASE=$1
    CASE_OK=1
    local started=$SECONDS
    echo "[ RUN  ] $CASE"
    "case_$CASE"
    [ -n "$AFTER_EACH_CASE" ] && "$AFTER_EACH_CASE"
    if [ "$CASE_OK" = 1 ]; then
        PASSED=$((PASSED + 1))
        echo "[  OK  ] $CASE ($((SECONDS - started)) s)"
    else
        FAILED=$((FAILED + 1))
        FAILURES+=("$CASE")
        echo "[ FAIL ] $CASE ($((SECONDS - started)) s)"
    fi
}

run_cases() { # suite-name [case...]; without cases, every name in ALL_CASES
    local suite=$1 name
    shift
    for name in "${@:-${ALL_CASES[@]}}"; do
        run_case "$name"
    done
    [ ${#FAILURES[@]} -eq 0 ] || echo "Failed: ${FAILURES[*]}"
    echo "$suite: $PASSED passed, $FAILED failed"
    [ "$FAILED" -eq 0 ]
}
