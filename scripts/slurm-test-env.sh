#!/usr/bin/env bash
# A throwaway one-node Slurm cluster for the cluster tests: a private munged, slurmctld and
# slurmd whose every path lies under one directory, with their own ports and key. Never
# touches a Slurm or munge installation of the machine.
#
#   slurm-test-env.sh start DIR [OWNER_PID]   start the daemons, wait for the node, print the env line
#   slurm-test-env.sh env DIR                 print the line that points clients at it
#   slurm-test-env.sh stop DIR                stop the daemons by their PIDs
#
# The node offers 8 CPUs whatever the machine has (a job array line asks for several CPUs
# per task; the test wants its tasks scheduled, not a fast machine). A watchdog stops the
# daemons when OWNER_PID (default: the caller) ends or after TAVRIN_SLURM_LIFETIME seconds
# (default 900), so a crashed test never leaves them running.
set -euo pipefail

cmd="${1:-}"
dir="${2:-}"
[[ -n "$cmd" && -n "$dir" ]] || { echo "usage: $0 start|stop|env DIR [OWNER_PID]" >&2; exit 2; }
[[ "$dir" == /* ]] || dir="$PWD/$dir"

free_port() {
  /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'
}

write_config() {
  mkdir -p "$dir"/{state,spool,log,munge}
  chmod 0700 "$dir/munge"
  # munged wants a key only its user may read.
  head -c 1024 /dev/urandom >"$dir/munge/munge.key"
  chmod 0400 "$dir/munge/munge.key"
  local user ctld_port slurmd_port
  user="$(id -un)"
  ctld_port="$(free_port)"
  slurmd_port="$(free_port)"
  while [[ "$slurmd_port" == "$ctld_port" ]]; do slurmd_port="$(free_port)"; done
  cat >"$dir/slurm.conf" <<CONF
ClusterName=tavrintest
SlurmctldHost=localhost(127.0.0.1)
SlurmctldPort=$ctld_port
SlurmdPort=$slurmd_port
SlurmUser=$user
SlurmdUser=$user
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$dir/munge/munge.sock
StateSaveLocation=$dir/state
SlurmdSpoolDir=$dir/spool
SlurmctldPidFile=$dir/slurmctld.pid
SlurmdPidFile=$dir/slurmd.pid
SlurmctldLogFile=$dir/log/slurmctld.log
SlurmdLogFile=$dir/log/slurmd.log
SlurmdParameters=config_overrides
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SwitchType=switch/none
MpiDefault=none
LaunchParameters=test_exec
ReturnToService=2
SchedulerType=sched/builtin
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
MaxArraySize=1001
NodeName=tavrin-node NodeHostname=$(hostname) NodeAddr=127.0.0.1 CPUs=8 RealMemory=1000 State=UNKNOWN
PartitionName=test Nodes=tavrin-node Default=YES MaxTime=INFINITE State=UP
CONF
  # No cgroups: the daemons run in whatever container or session the tests run in.
  cat >"$dir/cgroup.conf" <<CONF
CgroupPlugin=autodetect
IgnoreSystemd=yes
CONF
}

print_env() { echo "SLURM_CONF=$dir/slurm.conf"; }

wait_for_node() {
  export SLURM_CONF="$dir/slurm.conf"
  for _ in $(seq 1 300); do
    state="$(sinfo -h -N -o %t 2>/dev/null || true)"
    [[ "$state" == idle* || "$state" == mix* || "$state" == alloc* ]] && return 0
    for f in munged slurmctld slurmd; do
      [[ -f "$dir/$f.pid" ]] && ! kill -0 "$(cat "$dir/$f.pid")" 2>/dev/null && return 1
    done
    sleep 0.1
  done
  return 1
}

start_watchdog() {
  local owner="$1" lifetime="${TAVRIN_SLURM_LIFETIME:-900}"
  (
    end=$((SECONDS + lifetime))
    while kill -0 "$owner" 2>/dev/null && ((SECONDS < end)); do sleep 1; done
    "$0" stop "$dir"
  ) </dev/null >/dev/null 2>&1 &
  echo $! >"$dir/watchdog.pid"
}

show_logs() {
  echo "the Slurm test cluster did not start; logs:" >&2
  tail -n 20 "$dir"/log/* >&2 2>/dev/null || true
}

start() {
  for p in munged slurmctld slurmd sinfo sbatch; do
    command -v "$p" >/dev/null || [[ -x "/usr/sbin/$p" ]] || { echo "$p is not installed" >&2; exit 3; }
  done
  [[ -f "$dir/slurmctld.pid" || -f "$dir/munged.pid" ]] && stop
  write_config
  export PATH="$PATH:/usr/sbin"
  # --force: munged as root (CI) and in a directory it would otherwise find too open.
  munged --force --key-file="$dir/munge/munge.key" --socket="$dir/munge/munge.sock" \
    --pid-file="$dir/munged.pid" --log-file="$dir/log/munged.log" \
    --seed-file="$dir/munge/munge.seed" </dev/null >>"$dir/log/munged.out" 2>&1 || { show_logs; exit 1; }
  trap 'stop' ERR INT TERM
  export SLURM_CONF="$dir/slurm.conf"
  slurmctld -i -f "$dir/slurm.conf" </dev/null >>"$dir/log/slurmctld.out" 2>&1
  slurmd -f "$dir/slurm.conf" -N tavrin-node </dev/null >>"$dir/log/slurmd.out" 2>&1
  start_watchdog "${3:-$PPID}"
  if ! wait_for_node; then
    show_logs
    stop
    exit 1
  fi
  trap - ERR INT TERM
  print_env
}

stop() {
  local pid
  for f in watchdog slurmd slurmctld munged; do
    if [[ -f "$dir/$f.pid" ]]; then
      pid="$(cat "$dir/$f.pid")"
      if [[ -n "$pid" ]]; then
        kill "$pid" 2>/dev/null || true
        for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$pid" 2>/dev/null || true
      fi
      rm -f "$dir/$f.pid"
    fi
  done
}

case "$cmd" in
  start) start "$@" ;;
  stop) stop ;;
  env) print_env ;;
  *) echo "usage: $0 start|stop|env DIR [OWNER_PID]" >&2; exit 2 ;;
esac
