// Command line of the stand-alone tool `kvormx-sim`.
#pragma once

#include <string>

#include "sim/sensor.h"

namespace sim {

struct ToolOptions {
    SensorOptions sensor;
    bool help = false;
    bool version = false;
    bool frozen = false;  // --freeze: the scene stands still at freeze_at
    double freeze_at = 0;
};

// 0 when the arguments are good, 2 (the tool's exit code for a usage error)
// with the reason in *error otherwise.
int ParseToolArgs(int argc, const char* const* argv, ToolOptions* out, std::string* error);

const char* ToolUsage();

}  // namespace sim
