#!/usr/bin/env bash
# A one-node Slurm cluster on this machine for the farm test, on loopback
# only, everything (keys, sockets, configuration, state, logs) in DIR:
#   slurm_cluster.sh start DIR [OWNER]  starts munged, slurmctld and slurmd;
#                                prints the SLURM_CONF to use; exit 77 and
#                                the reason when they cannot run here
#   slurm_cluster.sh stop DIR    stops the daemons started in DIR
# The daemons run in the foreground of background jobs of this script, so
# their ids are known and only they are stopped. A watchdog stops them when
# the process OWNER ends without stopping them (a test that crashed), and
# after ten minutes in any case.
set -uo pipefail
command=${1:-} dir=${2:-} owner=${3:-}
[ -n "$dir" ] || { echo "usage: slurm_cluster.sh start|stop DIR" >&2; exit 2; }

stop() {
  for name in slurmd slurmctld munged; do
    [ -f "$dir/$name.pid" ] || continue
    pid=$(cat "$dir/$name.pid")
    kill "$pid" 2>/dev/null
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null
    rm -f "$dir/$name.pid"
  done
}

# The daemons and the watchdog over them.
stop_all() {
  [ -f "$dir/watchdog.pid" ] && kill "$(cat "$dir/watchdog.pid")" 2>/dev/null
  rm -f "$dir/watchdog.pid"
  stop
}

cannot() {
  echo "Slurm cannot run here: $*" >&2
  stop_all
  exit 77
}

# Waits up to $1 seconds for the command after it to succeed.
within() {
  local seconds=$1
  shift
  for _ in $(seq $((seconds * 10))); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

if [ "$command" = stop ]; then
  stop_all
  exit 0
fi
[ "$command" = start ] || { echo "usage: slurm_cluster.sh start|stop DIR" >&2; exit 2; }

for program in munged mungekey slurmctld slurmd sbatch sinfo; do
  command -v "$program" >/dev/null || cannot "$program is not installed (scripts/install-test-deps.sh)"
done
[ "$(id -u)" = 0 ] || cannot "slurmd runs jobs as their users and must be started as root"
mkdir -p "$dir/state" "$dir/spool" "$dir/munge"
(
  for _ in $(seq 600); do
    [ -z "$owner" ] || kill -0 "$owner" 2>/dev/null || break
    sleep 1
  done
  stop
) >/dev/null 2>&1 &
echo $! >"$dir/watchdog.pid"
chmod 700 "$dir" "$dir/munge"
mungekey --create --keyfile="$dir/munge/munge.key" >/dev/null 2>&1 ||
  cannot "mungekey could not make a key"
munged --foreground --force --key-file="$dir/munge/munge.key" --socket="$dir/munge/socket" \
  --pid-file="$dir/munge/munged.pid" --seed-file="$dir/munge/seed" \
  --log-file="$dir/munge/munged.log" >/dev/null 2>&1 &
echo $! >"$dir/munged.pid"
within 10 test -S "$dir/munge/socket" || cannot "munged did not start ($(tail -1 "$dir/munge/munged.log" 2>/dev/null))"

# Ports of this cluster's own, apart from any other cluster's.
port=$((20000 + ($$ % 5000) * 2))
node=$(hostname -s)
hardware=$(slurmd -C 2>/dev/null | head -1 | sed 's/^NodeName=[^ ]* //; s/ *UpTime=.*//')
cat >"$dir/slurm.conf" <<CONF
ClusterName=pblurtest
SlurmctldHost=$node(127.0.0.1)
SlurmctldPort=$port
SlurmdPort=$((port + 1))
SlurmUser=root
AuthType=auth/munge
AuthInfo=socket=$dir/munge/socket
CredType=cred/munge
StateSaveLocation=$dir/state
SlurmdSpoolDir=$dir/spool
SlurmctldPidFile=$dir/slurmctld.daemon.pid
SlurmdPidFile=$dir/slurmd.daemon.pid
SlurmctldLogFile=$dir/slurmctld.log
SlurmdLogFile=$dir/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
SchedulerType=sched/builtin
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
MpiDefault=none
ReturnToService=2
SlurmctldTimeout=30
SlurmdTimeout=30
NodeName=$node NodeAddr=127.0.0.1 $hardware State=UNKNOWN
PartitionName=test Nodes=$node Default=YES MaxTime=INFINITE State=UP
CONF
export SLURM_CONF=$dir/slurm.conf
slurmctld -D -i -f "$SLURM_CONF" >"$dir/slurmctld.out" 2>&1 &
echo $! >"$dir/slurmctld.pid"
slurmd -D -f "$SLURM_CONF" >"$dir/slurmd.out" 2>&1 &
echo $! >"$dir/slurmd.pid"
idle() { sinfo -h -o %T | grep -qx idle; }
if ! within 30 idle; then
  cannot "the node did not come up: $(tail -2 "$dir/slurmctld.log" "$dir/slurmd.log" 2>/dev/null | tr '\n' ' ')"
fi
echo "$SLURM_CONF"
