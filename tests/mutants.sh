#!/bin/sh
# Removes each guard that keeps a job from being lost, printed twice or printed where it must not
# go, one at a time, in a copy of the tree; rebuilds; runs the tests; prints which tests caught
# the removal. Not part of CI: a build plus one rebuild per guard (set MUTANTS_KEEP=1 to keep the
# copy, ONLY="name..." for some guards).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/lptmut.XXXXXX")
[ "${MUTANTS_KEEP:-0}" = 1 ] || trap 'rm -rf "$work"' EXIT
trap 'exit 1' INT TERM
mkdir "$work/tree"
# The working tree as it is, committed or not, without build trees.
(cd "$root" && git ls-files -co --exclude-standard | grep -v '^build' | tar -cf - -T -) |
  tar -C "$work/tree" -xf -
cmake -S "$work/tree" -B "$work/build" -DCMAKE_BUILD_TYPE=Debug >/dev/null
jobs=${MUTANTS_JOBS:-2}
cmake --build "$work/build" -j"$jobs" --target lptspool_launch_tests lptspool-launch >/dev/null
bin=$work/build/bin
# A test of the machine rather than of a guard (a launcher killed at one exact moment) stays out.
skip='-Sinks.KilledWhileTheCommandRunsTheJobArrivesWholeOrNotAtAll'

# mutant NAME FILE SED-EXPRESSION TESTS: TESTS names the test program (lptspool_TESTS_tests).
mutant() {
  name=$1 file=$work/tree/$2 expr=$3 suite=$4
  if [ -n "${ONLY:-}" ] && ! echo " $ONLY " | grep -q " $name "; then return 0; fi
  cp "$file" "$work/saved"
  sed -i "$expr" "$file"
  if cmp -s "$file" "$work/saved"; then
    printf '%-28s %s\n' "$name" "NOT APPLIED: the guard's text was not found in $2"
    return 0
  fi
  if ! cmake --build "$work/build" -j"$jobs" --target "lptspool_${suite}_tests" lptspool-launch \
    >"$work/build.log" 2>&1; then
    caught="(does not build)"
  else
    caught=$("$bin/lptspool_${suite}_tests" --gtest_filter="$skip" 2>&1 |
      sed -n 's/^\[  FAILED  \] \([A-Za-z0-9_]*\.[A-Za-z0-9_]*\) .*/\1/p' | sort -u | tr '\n' ' ')
  fi
  cp "$work/saved" "$file"
  printf '%-28s %s\n' "$name" "${caught:-NOT CAUGHT}"
}

printf '%-28s %s\n' GUARD "CAUGHT BY"
mutant printed-note-written src/launch/job_copy.cpp \
  '/turn.worked();/{n;n;n;s/^  notePrinted(jobFolder_, identity);$//}' launch
mutant printed-note-read src/launch/job_copy.cpp \
  's/if (printedAlready(jobFolder_, identity))/if (false)/' launch
mutant deletable-before-print src/launch/job_copy.cpp 's/if (!job.deletable(why))/if (false)/' launch
mutant script-in-own-folder src/launch/runner.cpp 's/ || here != there)/)/' launch
mutant refusal-rule-applied src/launch/job_copy.cpp 's/if (!refusal.empty()) return/if (false) return/' launch
mutant refuse-hard-links src/queue/job_refusal.cpp 's/if (facts.links > 1)/if (false)/' launch
mutant refuse-too-big src/queue/job_refusal.cpp 's/if (facts.size > maxBytes)/if (false)/' launch
mutant refuse-sparse src/queue/job_refusal.cpp \
  's/if (facts.size >= kSparseCheckFrom \&\&/if (false \&\&/' launch
mutant empty-job-not-sent src/launch/job_copy.cpp 's/if (settled.size == 0)$/if (false)/' launch
mutant rename-is-no-change src/launch/job_copy.cpp 's/!now.sameContent(settled)/now != settled/' launch
mutant printer-folder-no-link src/platform/posix/printer_folder.cpp 's/if (rest.empty()) {/if (false) {/' launch
mutant printer-folder-link-parent src/platform/posix/printer_folder.cpp \
  's/if (parent.st_mode \& S_IWOTH)/if (false)/' launch
mutant printer-folder-owner src/platform/posix/printer_folder.cpp \
  's/if (folder.st_uid != ::geteuid() \&\& folder.st_uid != 0)/if (false)/' launch
mutant room-before-copy src/launch/job_copy.cpp 's/if (!platform::roomFor(plan.path, bytes, why))/if (false \&\& !platform::roomFor(plan.path, bytes, why))/' launch
mutant job-lock src/platform/posix/launch_job.cpp \
  's/case PrivateLock::Take::Busy:/case PrivateLock::Take::Busy: break;/' launch
mutant delete-only-this-file src/platform/posix/launch_job.cpp \
  's/if (!sameAsName(missing)) {/if (false) {/' launch
