#include "model/host.h"

#include <string>

namespace qm {

void reportElementError(Host& host, int number, std::string_view description) {
    std::string text = "错误号：" + std::to_string(number) + "\n";
    text += description;
    host.message("错误", text, Icon::Critical);
}

}  // namespace qm
