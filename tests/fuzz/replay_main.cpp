// Runs a fuzz target's entry point once on each file named, and on each file in
// each folder named, as the fuzzer runs its corpus: how a build without clang
// replays the kept corpus and every input that ever crashed or hung a reader.
// A check that breaks aborts; an input that takes longer than a fuzzer's timeout
// counts as a hang. Either way the input's name is the last line printed. No
// input at all is a failure too: the corpus folder was not found.
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

constexpr unsigned kTimeoutSeconds = 10;
char current[4096];

void onFault(int sig) {
    const char* what = sig == SIGALRM ? "hang: no result within the timeout: " : "crash: ";
    (void)!::write(STDERR_FILENO, what, std::strlen(what));
    (void)!::write(STDERR_FILENO, current, std::strlen(current));
    (void)!::write(STDERR_FILENO, "\n", 1);
    const int end = sig == SIGALRM ? SIGABRT : sig;
    std::signal(end, SIG_DFL);
    std::raise(end);
}

}  // namespace

int main(int argc, char** argv) {
    for (const int sig : {SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGALRM}) std::signal(sig, onFault);
    std::vector<fs::path> inputs;
    for (int k = 1; k < argc; ++k) {
        const fs::path p = argv[k];
        if (fs::is_directory(p)) {
            for (const fs::directory_entry& e : fs::directory_iterator(p))
                if (e.is_regular_file()) inputs.push_back(e.path());
        } else if (fs::is_regular_file(p)) {
            inputs.push_back(p);
        } else {
            std::printf("%s: none kept\n", argv[k]);  // a target that never crashed has no crashers folder
        }
    }
    std::sort(inputs.begin(), inputs.end());
    for (const fs::path& p : inputs) {
        std::ifstream in(p, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        std::snprintf(current, sizeof current, "%s", p.c_str());
        ::alarm(kTimeoutSeconds);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        ::alarm(0);
    }
    std::printf("%zu inputs replayed\n", inputs.size());
    return inputs.empty() ? 1 : 0;
}
