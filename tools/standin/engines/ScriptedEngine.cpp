// A stand-in for the shadowsocks (or sing-box) engine that prints what a script tells it to and
// then waits to be stopped. Tests drive it through two environment variables:
//
//   OSTREL_STANDIN_ENGINE_SCRIPT  a file with one step per line:
//       print TEXT      TEXT and a line feed
//       eprint TEXT     TEXT and a line feed on standard error
//       write TEXT      TEXT without a line feed ("\n" in TEXT becomes a line feed)
//       sleep MS        pause
//       exit CODE       end now with CODE
//       ignore-term     from now on SIGTERM is ignored (only SIGKILL ends it)
//       on-term TEXT    print TEXT and a line feed when stopped by SIGTERM
//       wait            wait until stopped (the default after the last step)
//     Without a script it prints "start_success" and waits.
//   OSTREL_STANDIN_ENGINE_RECORD  a file to which it appends its pid and its arguments, one per
//     line, followed by an empty line.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t s_stop = 0;
std::string s_lastWords;

void onTerm(int)
{
    s_stop = 1;
}

void out(const std::string &text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

std::string unescape(const std::string &text)
{
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            result += '\n';
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

void record(int argc, char **argv)
{
    const char *path = std::getenv("OSTREL_STANDIN_ENGINE_RECORD");
    if (!path || !*path)
        return;
    std::ofstream file(path, std::ios::app);
    file << getpid() << '\n';
    for (int i = 1; i < argc; ++i)
        file << argv[i] << '\n';
    file << '\n';
}

int waitForStop()
{
    while (!s_stop)
        pause();
    if (!s_lastWords.empty())
        out(s_lastWords + "\n");
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    std::signal(SIGTERM, onTerm);
    record(argc, argv);
    const char *scriptPath = std::getenv("OSTREL_STANDIN_ENGINE_SCRIPT");
    if (!scriptPath || !*scriptPath) {
        out("start_success\n");
        return waitForStop();
    }
    std::ifstream script(scriptPath);
    if (!script) {
        std::fprintf(stderr, "standin engine: cannot read %s\n", scriptPath);
        return 3;
    }
    std::string line;
    while (std::getline(script, line) && !s_stop) {
        const size_t space = line.find(' ');
        const std::string verb = line.substr(0, space);
        const std::string rest = space == std::string::npos ? std::string() : line.substr(space + 1);
        if (verb == "print")
            out(rest + "\n");
        else if (verb == "eprint")
            std::fprintf(stderr, "%s\n", rest.c_str());
        else if (verb == "write")
            out(unescape(rest));
        else if (verb == "sleep")
            std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(rest.c_str())));
        else if (verb == "exit")
            return std::atoi(rest.c_str());
        else if (verb == "ignore-term")
            std::signal(SIGTERM, SIG_IGN);
        else if (verb == "on-term")
            s_lastWords = rest;
        else if (verb == "wait")
            break;
    }
    if (s_stop)
        return waitForStop();
    // With SIGTERM ignored, pause() only returns for SIGKILL, which never returns at all.
    return waitForStop();
}
