#include "io/result.h"

namespace qm {

std::string IoError::describe() const {
    if (!offset) return message;
    return message + " (byte " + std::to_string(*offset) + ")";
}

}  // namespace qm
