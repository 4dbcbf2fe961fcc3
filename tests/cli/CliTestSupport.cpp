#include "CliTestSupport.h"

#include <chrono>
#include <functional>
#include <csignal>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "TestSupport.h"

namespace NSCliTest {

namespace {

// Starts the program with stdin from /dev/null and stdout and stderr into
// files; returns the child's id.
pid_t Start(const std::vector<std::string>& arguments, const std::string& out, const std::string& err) {
    std::vector<std::string> all = {ZUBRIK_CLI_PATH};
    all.insert(all.end(), arguments.begin(), arguments.end());
    const pid_t child = fork();
    if (child == 0) {
        const int in = open("/dev/null", O_RDONLY);
        const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(in, 0);
        dup2(o, 1);
        dup2(e, 2);
        std::vector<char*> argv;
        for (std::string& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return child;
}

SRun Finish(pid_t child, const std::string& out, const std::string& err) {
    int status = 0;
    waitpid(child, &status, 0);
    SRun run;
    run.fExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.fOut = ReadBytes(out);
    run.fErr = ReadBytes(err);
    return run;
}

// Little-endian, as in WAVE files.
void Put(std::string& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(char((v >> (8 * i)) & 0xFF));
}

uint32_t BigEndian(const std::string& bytes, size_t at, size_t count) {
    uint32_t value = 0;
    for (size_t i = 0; i < count; ++i)
        value = value << 8 | uint8_t(bytes[at + i]);
    return value;
}

uint32_t ReadQuantity(const std::string& bytes, size_t& i, size_t end) {
    uint32_t value = 0;
    for (int k = 0; k < 4 && i < end; ++k) {
        const uint8_t b = uint8_t(bytes[i++]);
        value = value << 7 | (b & 0x7F);
        if ((b & 0x80) == 0)
            return value;
    }
    i = end + 1; // marks a broken quantity
    return 0;
}

// Walks one track's events (with running status); false when malformed.
bool CountTrackNotes(const std::string& bytes, size_t i, size_t end, int32_t& notes) {
    uint8_t status = 0;
    while (i < end) {
        ReadQuantity(bytes, i, end);
        if (i >= end)
            return false;
        uint8_t b = uint8_t(bytes[i]);
        if (b == 0xFF || b == 0xF0 || b == 0xF7) {
            i += b == 0xFF ? 2 : 1;
            const uint32_t length = ReadQuantity(bytes, i, end);
            i += length;
            continue;
        }
        if (b & 0x80) {
            status = b;
            ++i;
        }
        if (status == 0)
            return false;
        const int data = (status & 0xE0) == 0xC0 ? 1 : 2;
        if (i + size_t(data) > end)
            return false;
        if ((status & 0xF0) == 0x90 && uint8_t(bytes[i + 1]) > 0)
            ++notes;
        i += size_t(data);
    }
    return i == end;
}

// Whether the process has a handler for SIGINT (its "SigCgt" mask).
bool CatchesInterrupt(pid_t process) {
    std::ifstream status("/proc/" + std::to_string(process) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("SigCgt:", 0) == 0)
            return (std::stoull(line.substr(7), nullptr, 16) & (1ull << (SIGINT - 1))) != 0;
    return false;
}

} // namespace

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

SRun RunCli(const std::vector<std::string>& arguments) {
    const std::string folder = NSTestSupport::TemporaryFolder();
    const std::string out = folder + "/out", err = folder + "/err";
    return Finish(Start(arguments, out, err), out, err);
}

SRun RunCliAndInterrupt(const std::vector<std::string>& arguments, int delayMilliseconds) {
    const std::string folder = NSTestSupport::TemporaryFolder();
    const std::string out = folder + "/out", err = folder + "/err";
    const pid_t child = Start(arguments, out, err);
    // The delay counts from the moment the program catches SIGINT, so that a
    // slow start cannot turn the stop into a kill.
    for (int tries = 0; tries < 2000 && !CatchesInterrupt(child); ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMilliseconds));
    kill(child, SIGINT);
    return Finish(child, out, err);
}

SRun RunCliAndInterruptWhen(const std::vector<std::string>& arguments, const std::function<bool()>& ready) {
    const std::string folder = NSTestSupport::TemporaryFolder();
    const std::string out = folder + "/out", err = folder + "/err";
    const pid_t child = Start(arguments, out, err);
    for (int tries = 0; tries < 30000 && !ready(); ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    kill(child, SIGINT);
    return Finish(child, out, err);
}

SRun RunShell(const std::string& command) {
    SRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[4096];
    size_t count = 0;
    while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.fOut.append(buffer, count);
    const int status = pclose(pipe);
    run.fExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

bool HaveSox() {
    return RunShell("command -v sox >/dev/null 2>&1").fExitCode == 0;
}

void WriteClickLoop(const std::string& path, int32_t frames, int32_t spacing, bool stereo, int32_t rate) {
    const int32_t channels = stereo ? 2 : 1;
    std::string bytes = "RIFF";
    Put(bytes, uint32_t(36 + frames * channels * 2), 4);
    bytes += "WAVEfmt ";
    const std::pair<int32_t, int> format[] = {{16, 4}, {1, 2}, {channels, 2}, {rate, 4},
                                              {rate * channels * 2, 4}, {channels * 2, 2}, {16, 2}};
    for (auto [value, size] : format)
        Put(bytes, uint32_t(value), size);
    bytes += "data";
    Put(bytes, uint32_t(frames * channels * 2), 4);
    const std::vector<int32_t> noise = NSTestSupport::Noise(size_t(spacing), 20000, 7);
    for (int32_t frame = 0; frame < frames; ++frame) {
        const int32_t offset = frame % spacing;
        const double decay = std::exp(-offset / (rate * 0.03));
        const auto value = int32_t(noise[size_t(offset)] * decay);
        Put(bytes, uint32_t(value), 2);
        if (stereo)
            Put(bytes, uint32_t(value / 2), 2);
    }
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

int32_t CountMidiNotes(const std::string& path) {
    const std::string bytes = ReadBytes(path);
    if (bytes.size() < 14 || bytes.compare(0, 4, "MThd") != 0 || BigEndian(bytes, 4, 4) != 6)
        return -1;
    const uint32_t tracks = BigEndian(bytes, 10, 2);
    int32_t notes = 0;
    size_t at = 14;
    for (uint32_t t = 0; t < tracks; ++t) {
        if (at + 8 > bytes.size() || bytes.compare(at, 4, "MTrk") != 0)
            return -1;
        const size_t end = at + 8 + BigEndian(bytes, at + 4, 4);
        if (end > bytes.size() || !CountTrackNotes(bytes, at + 8, end, notes))
            return -1;
        at = end;
    }
    return notes;
}

std::string Field(const std::string& json, const std::string& key) {
    const size_t at = json.find("\"" + key + "\": ");
    if (at == std::string::npos)
        return "";
    const size_t start = at + key.size() + 4;
    return json.substr(start, json.find_first_of(",}", start) - start);
}

} // namespace NSCliTest
