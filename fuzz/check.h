// A broken property found by a fuzzer: stop at once, so that libFuzzer keeps the input.
#pragma once

inline void check(bool ok) {
  if (!ok) __builtin_trap();
}
