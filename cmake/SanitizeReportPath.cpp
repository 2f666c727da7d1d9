// Compiled into every program of a build with the undefined-behaviour sanitizer (cmake/Sanitize.cmake).
//
// GCC links that sanitizer's runtime as a library of its own (libubsan) beside AddressSanitizer's.
// At start libubsan sets its report file from UBSAN_OPTIONS's log_path through an exported function
// that libasan, loaded first, also defines; the call lands in libasan, and libubsan keeps writing to
// standard error. A child process (the stand-in service, the helper) that dies of undefined
// behaviour would then leave its report only in an output no test reads. This hands log_path to
// libubsan's own function before main, so its reports land beside the other sanitizers'.
// Where the runtime is not a library of its own (clang, or no libubsan loaded) it does nothing.
#include <dlfcn.h>

#include <cstdlib>
#include <string>

namespace {

// log_path's value in a sanitizer option string; the runtime's own parser splits at these.
std::string logPath(const char *options)
{
    if (!options)
        return {};
    const std::string all(options);
    const std::string key = "log_path=";
    std::string path;
    size_t start = 0;
    while (start < all.size()) {
        const size_t end = all.find_first_of(" ,:\t\r\n", start);
        const std::string item = all.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (item.compare(0, key.size(), key) == 0)
            path = item.substr(key.size()); // the last one counts, as for the runtime
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return path;
}

void setUndefinedBehaviourReportPath()
{
    const std::string path = logPath(std::getenv("UBSAN_OPTIONS"));
    if (path.empty())
        return;
    void *runtime = dlopen("libubsan.so.1", RTLD_NOW | RTLD_NOLOAD);
    if (!runtime)
        return;
    using SetReportPath = void (*)(const char *);
    if (auto set = reinterpret_cast<SetReportPath>(dlsym(runtime, "__sanitizer_set_report_path")))
        set(path.c_str());
    dlclose(runtime);
}

[[maybe_unused]] const bool kReportPathSet = (setUndefinedBehaviourReportPath(), true);

} // namespace
