# Sourced by the network tests (LON/IP and USB): the test node, started and stopped by its pid,
# the comparison of two node images, and the play of a script on the simulated node and on the
# test node. Needs: qma7, lonnode (the shared test node's folder, for its image tool), node_bin,
# node_options (the node's options for its link, may be empty), and fail; the current folder is
# the work folder.
node_pid=
stop_node() {
    if [[ -n $node_pid ]]; then
        kill -TERM "$node_pid" 2>/dev/null
        wait "$node_pid"
        node_pid=
    fi
}
trap stop_node EXIT
# start_node IMAGE SAVE [OPTIONS]: the node from IMAGE, saving its state to SAVE on SIGTERM.
start_node() {
    local image=$1 save=$2
    shift 2
    "$node_bin" ${node_options[@]+"${node_options[@]}"} --image "$image" --save "$save" "$@" >node.out 2>node.err &
    node_pid=$!
    for _ in $(seq 100); do
        grep -q '^READY' node.out && return 0
        kill -0 "$node_pid" 2>/dev/null || break
        sleep 0.1
    done
    cat node.err
    fail "the test node did not get ready"
}
# Both images as JSON with every variable and part at full length, compared.
same_images() {
    python3 "$lonnode/image-from-json.py" --to-json "$2" -o node.json || fail "cannot convert $2"
    python3 - "$1" node.json <<'PY' || exit 1
import json, sys
def full(path):
    doc = json.load(open(path))
    size = lambda i: 31 if i in (0, 22, 25, 26) else 2
    # NV 42 is the selector, which stands in "selector".
    nv = {i: bytes.fromhex(doc.get("nv", {}).get(str(i), "")).ljust(size(i), b"\0") for i in range(42)}
    parts = {k: bytes.fromhex(doc.get("parts", {}).get(str(k), "")).ljust(31, b"\0") for k in range(1, 13)}
    return {"name": doc.get("name", ""), "selector": doc.get("selector", 0), "nv": nv, "parts": parts}
sim, node = full(sys.argv[1]), full(sys.argv[2])
bad = [k for k in ("name", "selector") if sim[k] != node[k]]
bad += ["nv %d: %s on the simulated node, %s on the test node" % (i, sim["nv"][i].hex(), node["nv"][i].hex())
        for i in range(42) if sim["nv"][i] != node["nv"][i]]
bad += ["part %d: %s / %s" % (k, sim["parts"][k].hex(), node["parts"][k].hex())
        for k in range(1, 13) if sim["parts"][k] != node["parts"][k]]
for line in bad:
    print("FAIL: the images differ:", line)
sys.exit(1 if bad else 0)
PY
}
# play SCRIPT NAME [QMA7 OPTIONS]: the script on the simulated node (NAME-sim.*), then on a
# fresh test node (NAME-node.*), in the same folder; their outputs and images must match.
play() {
    local script=$1 name=$2
    shift 2
    rm -f node.txt changed.txt
    "$qma7" script --node start.json --save "$name-sim.json" "$script" >"$name-sim.out" 2>&1 ||
        { cat "$name-sim.out"; fail "the script failed on the simulated node"; }
    rm -f node.txt changed.txt
    start_node start.img "$name-node.img" --trace
    local started=$SECONDS
    "$qma7" script --lon 51/35/12 "$@" "$script" >"$name-node.out" 2>"$name-node.err" ||
        { cat "$name-node.out" "$name-node.err"; fail "the script failed on the test node"; }
    # Warnings about the options given (e.g. tries longer than the receive timer) are expected;
    # anything else on standard error is not.
    if grep -v '^qma7: warning: ' "$name-node.err"; then
        fail "the script wrote errors on the test node"
    fi
    echo "$name: played on the test node in $((SECONDS - started)) s"
    stop_node
    mv node.err "$name-node.trace"
    diff -u "$name-sim.out" "$name-node.out" || fail "the outputs differ"
    same_images "$name-sim.json" "$name-node.img"
}
