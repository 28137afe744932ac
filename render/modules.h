// Parts of the programs built as modules of their own and loaded on first use:
// the Qt libraries only they need (SVG, print support) then cost a start-up
// nothing. A module lies beside the program (the build tree) or in the package's
// private folder (../lib/<triplet>/quillmap seen from the program's folder), and
// exports one function, quillmap_module, that returns its table of functions.
#pragma once
#include "io/result.h"

namespace qm {

// The table of the module `fileName` ("quillmap_svg.so"), loaded and never
// unloaded; an error naming the module and why when it is missing or cannot be
// loaded. Needs a QCoreApplication. Callers ask moduleTable, which loads it once.
Result<const void*> loadModule(const char* fileName);

// The same with the table's type, loaded once for every thread.
template <class Table>
const Result<const Table*>& moduleTable(const char* fileName) {
    static const Result<const Table*> table = [&]() -> Result<const Table*> {
        Result<const void*> loaded = loadModule(fileName);
        if (!loaded) return loaded.error();
        return static_cast<const Table*>(*loaded);
    }();
    return table;
}

}  // namespace qm
