// The INI file a start of the stand-in player or its launcher reads.
#include "testbed/player/sim_config_file.h"

#include <windows.h>

#include "testbed/common/files.h"
#include "testbed/player/player_sim_protocol.h"

namespace player_sim {
namespace {

std::string ConfigPathFromEnvironment() {
  char path[MAX_PATH + 1] = {};
  const DWORD length = GetEnvironmentVariableA(kConfigEnvVar, path, sizeof path);
  return length > 0 && length < sizeof path ? std::string(path, length) : std::string();
}

}  // namespace

SimOptions LoadSimOptions(const std::string& configArgumentPath) {
  const std::string path = configArgumentPath.empty() ? ConfigPathFromEnvironment() : configArgumentPath;
  return ParseSimOptions(path.empty() ? std::string() : ReadWholeFile(path));
}

}  // namespace player_sim
