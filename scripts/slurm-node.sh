#!/usr/bin/env bash
# A Slurm cluster of one node, this machine, kept entirely in one folder:
#   source scripts/slurm-node.sh
#   slurm_node_start DIR   # writes DIR/slurm.conf, starts munged, slurmctld, slurmd
#   export SLURM_CONF=DIR/slurm.conf; sbatch ...
#   slurm_node_stop DIR    # stops all three and waits until they are gone
# Its own configuration, state, spool, munge key and socket and free ports,
# so it neither needs nor touches a system's Slurm or munge. Run as root:
# slurmd starts the jobs as their users.

slurm_node_free_port() {
    local port
    while :; do
        port=$((20000 + RANDOM % 20000))
        ss -Hltn "sport = :$port" 2>/dev/null | grep -q . || { echo "$port"; return; }
    done
}

slurm_node_start() {
    local dir=$1 host
    mkdir -p "$dir/state" "$dir/spool" "$dir/munge" "$dir/log"
    chmod 0700 "$dir/munge"
    host=$(hostname -s)
    dd if=/dev/urandom of="$dir/munge/key" bs=1024 count=1 status=none
    chmod 0400 "$dir/munge/key"
    munged --force --key-file="$dir/munge/key" --socket="$dir/munge/socket" \
        --pid-file="$dir/munge/pid" --log-file="$dir/log/munged.log" \
        --seed-file="$dir/munge/seed" || return 1
    cat >"$dir/slurm.conf" <<CONF
ClusterName=deckvane-test
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=$(slurm_node_free_port)
SlurmdPort=$(slurm_node_free_port)
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$dir/munge/socket
StateSaveLocation=$dir/state
SlurmdSpoolDir=$dir/spool
SlurmctldPidFile=$dir/slurmctld.pid
SlurmdPidFile=$dir/slurmd.pid
SlurmctldLogFile=$dir/log/slurmctld.log
SlurmdLogFile=$dir/log/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
SwitchType=switch/none
MpiDefault=none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
SlurmdParameters=config_overrides
ReturnToService=2
KillWait=5
SchedulerParameters=sched_interval=1
NodeName=$host NodeAddr=127.0.0.1 CPUs=16 RealMemory=65536 State=UNKNOWN
PartitionName=local Nodes=$host Default=YES MaxTime=INFINITE State=UP
CONF
    SLURM_CONF="$dir/slurm.conf" slurmctld -f "$dir/slurm.conf" -i || return 1
    SLURM_CONF="$dir/slurm.conf" slurmd -f "$dir/slurm.conf" || return 1
    local i
    for ((i = 0; i < 300; i++)); do
        SLURM_CONF="$dir/slurm.conf" sinfo -h -o %t 2>/dev/null | grep -qx idle && return 0
        sleep 0.1
    done
    echo "slurm-node: the node did not come up; see $dir/log" >&2
    return 1
}

slurm_node_stop() {
    local dir=$1 file pid i
    # Jobs first: their processes would outlive the daemons.
    if [[ -f "$dir/slurmctld.pid" ]] && kill -0 "$(cat "$dir/slurmctld.pid")" 2>/dev/null; then
        SLURM_CONF="$dir/slurm.conf" scancel --quiet --partition=local 2>/dev/null || true
        for ((i = 0; i < 300; i++)); do
            [[ -z $(SLURM_CONF="$dir/slurm.conf" squeue -h 2>/dev/null) ]] && break
            sleep 0.1
        done
    fi
    for file in "$dir/slurmd.pid" "$dir/slurmctld.pid" "$dir/munge/pid"; do
        [[ -f "$file" ]] || continue
        pid=$(cat "$file")
        kill "$pid" 2>/dev/null || continue
        for ((i = 0; i < 100; i++)); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -9 "$pid" 2>/dev/null || true
    done
    # Steps of jobs that outlived slurmctld (it was gone before they ended)
    # work in the node's log folder: they go with their processes.
    for pid in $(pgrep -x slurmstepd || true); do
        [[ $(readlink "/proc/$pid/cwd") == "$dir"/* ]] && slurm_node_kill_tree "$pid"
    done
    return 0
}

slurm_node_kill_tree() {
    local child
    kill -STOP "$1" 2>/dev/null
    for child in $(pgrep -P "$1" || true); do
        slurm_node_kill_tree "$child"
    done
    kill -9 "$1" 2>/dev/null
}
