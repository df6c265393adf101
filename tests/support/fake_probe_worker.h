#pragma once
// A stand-in for the engine's probe server, written as a shell script: it answers every
// request with one mono 8 kHz audio stream after `delaySeconds`, never answers for a path
// whose file name contains "hang", and kills itself in the middle of a request for a file name
// containing "die". For a file name containing "slowend" the end line comes in two pieces; one
// containing "slowprobe" takes half a second more.

#include <sys/stat.h>
#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"

namespace quillon::test {

inline std::vector<std::string> FakeProbeWorker(const std::filesystem::path& folder, double delaySeconds = 0) {
    const std::filesystem::path script = folder / "fake_probe_worker.sh";
    WriteFile(script,
              "#!/bin/bash\n"
              "while IFS= read -r -d '' token; do\n"
              "  path=''\n"
              "  while IFS= read -r -d '' arg; do [ -z \"$arg\" ] && break; path=\"$arg\"; done\n"
              "  printf 'Input #0, wav, from %s:\\n' \"$path\" >&2\n"
              "  case \"${path##*/}\" in *hang*) sleep 100000 ;; *die*) kill -9 $$ ;; *slowprobe*) sleep 0.5 ;; esac\n"
              "  sleep " +
                  std::to_string(delaySeconds) +
                  "\n"
                  "  printf '  Duration: 00:00:02.00, start: 0.000000, bitrate: 128 kb/s\\n' >&2\n"
                  "  printf '  Stream #0:0: Audio: pcm_s16le, 8000 Hz, mono, s16, 128 kb/s\\n' >&2\n"
                  "  printf '\\n@ferrox-probe-end %s ' \"$token\" >&2\n"
                  "  case \"${path##*/}\" in *slowend*) sleep 0.2 ;; esac\n"
                  "  printf '1\\n' >&2\n"
                  "done\n");
    ::chmod(script.c_str(), 0755);
    return {"/bin/bash", script.string()};
}

}  // namespace quillon::test
