#include "interact/rules.h"

namespace qm {

void deleteCommand(Editor& ed) { rulesOf(ed).deleteSelection(ed); }

}  // namespace qm
