// What `qmptool convert` writes, by the extension of its output: one row a format.
#pragma once
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "io/result.h"
#include "model/text_metrics.h"

namespace qm::cli {

// IN converted to OUT, which is replaced atomically and is never IN.
using ConvertChart = std::function<Status(const std::string& in, const std::string& out, const TextMetrics&)>;

struct ConvertTarget {
    const char* ext;  // as outputs are named, without the dot
    ConvertChart convert;
};

std::span<const ConvertTarget> convertTargets();
// The row for an extension in any letter case; nullptr when convert does not write it.
const ConvertTarget* convertTargetFor(std::string_view ext);
// "QMP" (and the others), for messages.
std::string convertTargetNames();

}  // namespace qm::cli
