#include "model/host.h"

#include <string>

namespace qm {

void reportElementError(Host& host, int number, std::string_view description) {
    std::string text = "Errnumber:" + std::to_string(number) + "\n";
    text += description;
    host.message("Error", text, Icon::Critical);
}

}  // namespace qm
