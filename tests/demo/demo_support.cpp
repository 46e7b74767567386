#include "demo/demo_support.h"

#include <cstdio>
#include <sstream>
#include <sys/wait.h>

#include "platform/text.h"
#include "support/test_support.h"

namespace demotest {

namespace {

std::string Quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

} // namespace

RunResult RunProgram(const std::vector<std::string>& argv, const std::string& cwd,
                     const std::vector<std::string>& env) {
    std::string command = cwd.empty() ? "" : "cd " + Quoted(cwd) + " && ";
    command += "env";
    for (const auto& e : env)
        command += " " + Quoted(e);
    for (const auto& a : argv)
        command += " " + Quoted(a);
    RunResult result;
    FILE* pipe = popen((command + " </dev/null 2>&1").c_str(), "r");
    if (!pipe)
        return result;
    char buf[4096];
    for (std::size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;)
        result.out.append(buf, n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

RunResult RunScript(const std::string& cwd, const std::string& ini, const std::string& script) {
    const std::string path = ini + ".script";
    testsupport::WriteFile(path, script);
    return RunProgram({VOXLET_SCRIPT_BIN, "--ini", ini, path}, cwd);
}

std::vector<Row> ReadCatalogue(const std::string& path) {
    std::vector<Row> rows;
    platform::TextRowReader reader(path);
    for (bool header = true; auto line = reader.ReadRow(); header = false) {
        std::vector<std::string> c;
        std::istringstream in(line->substr(0, line->find_last_not_of("\r\n") + 1));
        for (std::string cell; std::getline(in, cell, ',');)
            c.push_back(cell);
        if (header || c.size() < 7)
            continue;
        rows.push_back({c.size(), std::atoi(c[0].c_str()), platform::Cp932ToUtf8(c[1]), c[3],
                        std::atoi(c[4].c_str()), std::atoi(c[5].c_str()), std::atoi(c[6].c_str())});
    }
    return rows;
}

} // namespace demotest
