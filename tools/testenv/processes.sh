# Process checks shared by the scripts that start and stop the test environment's processes
# (testenv, tools/simulator/daemon). Sourced, not run.

# A process that has ended but not yet been reaped counts as gone: the init process of some machines
# reaps orphans only every few seconds.
running() {
    local status
    status=$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d ' ' -f 1) || return 1
    [ -n "$status" ] && [ "$status" != Z ]
}

# Whether PID is a running process that the test environment of STATE started. A pid file can outlive
# its process (a reboot, an interrupted run), and its number may since belong to anything on the machine;
# every process the environment starts carries the environment's Wine prefix in its environment.
started_here() { # pid, state folder
    running "$1" && tr '\0' '\n' 2>/dev/null <"/proc/$1/environ" | grep -qxF "WINEPREFIX=$2/wine-prefix"
}

wait_gone() { # pid, tenths of a second
    local tries=$2
    while running "$1" && [ "$tries" -gt 0 ]; do
        sleep 0.1
        tries=$((tries - 1))
    done
    ! running "$1"
}
