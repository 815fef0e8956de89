# The test topology: segments and a router around the workstation's namespace W of tools/testenv/testenv,
# for tests of a search from several network adapters and of a controller behind a router. Sourced by
# testenv (start-topology, stop-topology) and by the topology fixture's script; not run.
#
#        segment a  ethW 198.18.1.2/24 ──── ethA 198.18.1.1/24 ┐
#        segment b  ethW 198.18.2.2/24 ──── ethB 198.18.2.1/24 ├ W (lo 127.0.0.1/8 as before)
#   router  ethW 198.18.3.2/24 ──────────── ethR 198.18.3.1/24 ┘   198.18.4.0/24 via 198.18.3.2
#   router  ethC 198.18.4.1/24 ──── routed c  ethR 198.18.4.2/24   default via 198.18.4.1
#
# Why 198.18.0.0/15 and not 127.x: W's loopback keeps 127.0.0.0/8, where the loopback simulator's
# controllers live (127.0.0.2 upwards); a 127.x address on a veth end of W would be captured by that
# local route. The benchmarking range is reachable from nowhere but these namespaces, which have no
# link to any real interface.
#
# In each segment (and in c) the addresses from .16 to .254 are local by routes of the local table: a
# simulator there binds its controllers to them and the kernel answers ARP for each on the segment,
# without an address per controller. The side address .2 carries the simulator's control connection.
# Segment b drops ICMP echoes, as hosts behind a firewall do: a controller there is found only by its own
# probe, and a free address there does not answer (every local address of a segment would answer an echo
# otherwise). Segment a answers them.
# W does not forward, so a broadcast of W stays on its segment; the router forwards unicast only (a
# directed broadcast to 198.18.4.255 is not forwarded), so no broadcast of W reaches c.

topology_names=(a b router c)
topology_control_port=47380

# The simulator of each place that has one: its control endpoint and its controllers' first address.
topology_control() { # name
    case $1 in
    a) echo 198.18.1.2:$topology_control_port ;;
    b) echo 198.18.2.2:$topology_control_port ;;
    c) echo 198.18.4.2:$topology_control_port ;;
    esac
}
topology_first_address() { # name
    case $1 in
    a) echo 198.18.1.16/24 ;;
    b) echo 198.18.2.16/24 ;;
    c) echo 198.18.4.16/24 ;;
    esac
}

topology_pid_file() { echo "$state/topology-$1.pid"; }
topology_holder_name() { echo "norvatessa-testenv-netns-$1"; }

# The holder of a place of the topology is ours when it carries our environment and its name, and lives
# in a namespace neither W's nor the machine's.
topology_holder_alive() { # name
    local pid
    pid=$(cat "$(topology_pid_file "$1")" 2>/dev/null) || return 1
    [ -n "$pid" ] && started_here "$pid" "$state" &&
        [ "$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)" = "$(topology_holder_name "$1") infinity " ] &&
        [ "$(readlink "/proc/$pid/ns/net")" != "$(readlink /proc/self/ns/net)" ] &&
        [ "$(readlink "/proc/$pid/ns/net")" != "$(readlink "/proc/$(holder_pid)/ns/net" 2>/dev/null)" ]
}

in_topology() { # name command...
    local name=$1
    shift
    topology_holder_alive "$name" || die "the topology's namespace $name is not running (start-topology)"
    in_namespace_of "$(cat "$(topology_pid_file "$name")")" "$@"
}

# A new namespace, made from inside W so that it belongs to the same user namespace as W when there is
# one (a veth pair can join only namespaces of one owner).
start_topology_holder() { # name
    local file
    file=$(topology_pid_file "$1")
    rm -f "$file" "$file.new"
    in_netns setsid unshare --net bash -c '
        ip link set lo up || exit 1
        echo $$ > "$1" && exec -a "$2" sleep infinity' \
        holder "$file.new" "$(topology_holder_name "$1")" </dev/null >>"$state/topology.log" 2>&1 &
    local tries=100
    while [ ! -s "$file.new" ] && [ $tries -gt 0 ]; do
        sleep 0.05
        tries=$((tries - 1))
    done
    [ -s "$file.new" ] || die "the topology's namespace $1 did not come up: $(tail -5 "$state/topology.log")"
    mv "$file.new" "$file"
    topology_holder_alive "$1" || die "the topology's namespace $1 is not a namespace of its own"
}

# The routes that make .16 to .254 of a /24 local (.255 stays the broadcast address).
make_controllers_local() { # name, first three bytes
    local prefix
    for prefix in 16/28 32/27 64/26 128/25; do
        in_topology "$1" ip route add local "$2.$prefix" dev lo table local || return 1
    done
}

configure_topology() {
    local a b router c
    a=$(cat "$(topology_pid_file a)")
    b=$(cat "$(topology_pid_file b)")
    router=$(cat "$(topology_pid_file router)")
    c=$(cat "$(topology_pid_file c)")
    # Each pair is made inside a namespace of the topology with its peer sent straight into another one:
    # no end ever exists in the machine's own namespace.
    in_netns ip link add ethA type veth peer name ethW netns "$a" &&
        in_netns ip link add ethB type veth peer name ethW netns "$b" &&
        in_netns ip link add ethR type veth peer name ethW netns "$router" &&
        in_topology router ip link add ethC type veth peer name ethR netns "$c" || return 1

    in_netns ip addr add 198.18.1.1/24 brd + dev ethA &&
        in_netns ip addr add 198.18.2.1/24 brd + dev ethB &&
        in_netns ip addr add 198.18.3.1/24 brd + dev ethR &&
        in_netns ip link set ethA up && in_netns ip link set ethB up && in_netns ip link set ethR up &&
        in_netns ip route add 198.18.4.0/24 via 198.18.3.2 || return 1

    in_topology a ip addr add 198.18.1.2/24 brd + dev ethW && in_topology a ip link set ethW up &&
        make_controllers_local a 198.18.1 || return 1
    in_topology b ip addr add 198.18.2.2/24 brd + dev ethW && in_topology b ip link set ethW up &&
        make_controllers_local b 198.18.2 && in_topology b sysctl -q -w net.ipv4.icmp_echo_ignore_all=1 ||
        return 1

    in_topology router ip addr add 198.18.3.2/24 brd + dev ethW &&
        in_topology router ip addr add 198.18.4.1/24 brd + dev ethC &&
        in_topology router ip link set ethW up && in_topology router ip link set ethC up &&
        in_topology router ip route add 198.18.0.0/15 via 198.18.3.1 &&
        in_topology router sysctl -q -w net.ipv4.ip_forward=1 || return 1

    in_topology c ip addr add 198.18.4.2/24 brd + dev ethR && in_topology c ip link set ethR up &&
        in_topology c ip route add default via 198.18.4.1 && make_controllers_local c 198.18.4
}

# Refuse to run anything if a namespace has an interface the layout does not give it.
check_topology_links() {
    local name expected links
    links=$(in_netns ip -o link show | awk -F'[:@]' '{print $2}' | tr -d ' ' | sort | tr '\n' ' ')
    [ "$links" = "ethA ethB ethR lo " ] || die "W has unexpected interfaces: $links"
    for name in "${topology_names[@]}"; do
        case $name in
        a | b) expected="ethW lo " ;;
        router) expected="ethC ethW lo " ;;
        c) expected="ethR lo " ;;
        esac
        links=$(in_topology "$name" ip -o link show | awk -F'[:@]' '{print $2}' | tr -d ' ' | sort |
            tr '\n' ' ')
        [ "$links" = "$expected" ] || die "the namespace $name has unexpected interfaces: $links"
    done
}

start_topology() {
    holder_alive || die "the test network namespace is not running (start-netns)"
    stop_topology
    : >"$state/topology.log"
    # Half a topology is worse than none: whatever fails below takes down what was made.
    trap stop_topology EXIT
    local name
    for name in "${topology_names[@]}"; do
        start_topology_holder "$name"
    done
    configure_topology >>"$state/topology.log" 2>&1 ||
        die "cannot lay out the topology: $(tail -5 "$state/topology.log")"
    check_topology_links
    trap - EXIT
}

# Ends every process of the topology's namespaces, then the holders; the veth pairs go with their
# namespaces. W's ends are deleted first, so that W is as testenv made it even while it keeps running.
stop_topology() {
    local name pid
    if holder_alive; then
        for name in ethA ethB ethR; do
            in_netns ip link del "$name" 2>/dev/null
        done
    fi
    for name in "${topology_names[@]}"; do
        if topology_holder_alive "$name"; then
            pid=$(cat "$(topology_pid_file "$name")")
            kill_namespace_members "$pid"
            kill -TERM "$pid" 2>/dev/null
            wait_gone "$pid" 50 || die "the topology's holder $pid ($name) does not end"
        fi
        rm -f "$(topology_pid_file "$name")"
    done
    return 0
}

topology_status() {
    local name
    for name in "${topology_names[@]}"; do
        topology_holder_alive "$name" && echo "topology $name: holder $(cat "$(topology_pid_file "$name")")" ||
            echo "topology $name: down"
    done
}
