// Upload throughput, CPU time and memory of UploadTo against curl, which
// streams, posting the same file to the same receiver in the same run.
//
//   upload_bench [--megabytes N] [--rounds N]
//
// The receiver is a small sink in a child process that reads and discards
// each body and reports its own CPU time, so it is seen not to be the
// bottleneck. The login goes to the in-process emulator through http_proxy;
// the upload address is 127.0.0.1, which no_proxy sends direct.
#include "emulator/service_emulator.h"
#include "host/host_classes.h"
#include "pal/base/unique_fd.h"
#include "pal/bstr.h"
#include "pal/com/activation.h"
#include "pal/com/stream.h"
#include "pal/com_ptr.h"
#include "pal/utf.h"
#include "service/zenfolio_proxy.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double CpuSeconds(const rusage& usage)
{
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double SelfCpu()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return CpuSeconds(usage);
}

long PeakRssKb()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return 0;
}

// Resets the peak so the next reading shows growth from here.
void ResetPeakRss()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// The sink: each connection's request is read to its end and answered "1";
// the CPU seconds it took go to the report pipe.
[[noreturn]] void RunSink(int listener, int report)
{
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const int fd = accept(listener, nullptr, nullptr);
        if (fd < 0) _exit(0);
        const pal::UniqueFd client(fd);
        const double before = SelfCpu();
        std::string head;
        std::size_t bodyLeft = 0;
        bool inBody = false;
        for (;;) {
            const ssize_t n = recv(fd, buffer.data(), buffer.size(), 0);
            if (n <= 0) break;
            std::size_t used = 0;
            if (!inBody) {
                head.append(buffer.data(), static_cast<std::size_t>(n));
                const auto end = head.find("\r\n\r\n");
                if (end == std::string::npos) continue;
                std::string lower = head.substr(0, end);
                std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
                const auto length = lower.find("content-length:");
                bodyLeft = length == std::string::npos ? 0 : std::strtoull(lower.c_str() + length + 15, nullptr, 10);
                used = static_cast<std::size_t>(n) - (head.size() - end - 4);
                inBody = true;
            }
            const std::size_t got = static_cast<std::size_t>(n) - used;
            bodyLeft -= std::min(bodyLeft, got);
            if (bodyLeft == 0) break;
        }
        const std::string reply = "HTTP/1.1 200 OK\r\nContent-Length: 1\r\nConnection: close\r\n\r\n1";
        send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
        const double used = SelfCpu() - before;
        if (write(report, &used, sizeof used) != sizeof used) _exit(1);
    }
}

struct Run {
    double seconds = 0, cpu = 0, sinkCpu = 0;
};

double ReadSinkCpu(int report)
{
    double used = 0;
    if (read(report, &used, sizeof used) != sizeof used) return -1;
    return used;
}

Run CurlRun(const std::string& file, const std::string& url, int report)
{
    const auto started = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execlp("curl", "curl", "-s", "-o", "/dev/null", "--noproxy", "*", "-T", file.c_str(), "-X", "POST", "-H",
               "Expect:", url.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    Run run;
    run.seconds = std::chrono::duration<double>(Clock::now() - started).count();
    run.cpu = CpuSeconds(usage);
    run.sinkCpu = ReadSinkCpu(report);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "curl failed (is it installed?)\n");
        std::exit(1);
    }
    return run;
}

Run ComponentRun(IZenfolioProxy* proxy, const std::u16string& file, const std::u16string& url, ULONG size, int report)
{
    pal::ComPtr<IStream> stream;
    if (FAILED(SHCreateStreamOnFileW(file.c_str(), STGM_READ, stream.ReleaseAndGetAddressOf()))) std::exit(1);
    pal::Bstr reply;
    const double cpuBefore = SelfCpu();
    const auto started = Clock::now();
    const HRESULT hr = proxy->UploadTo(url.c_str(), u"bench.jpg", FILETIME{}, stream.Get(), size, nullptr, nullptr,
                                       reply.ReleaseAndGetAddressOf());
    Run run;
    run.seconds = std::chrono::duration<double>(Clock::now() - started).count();
    run.cpu = SelfCpu() - cpuBefore;
    run.sinkCpu = ReadSinkCpu(report);
    if (hr != S_OK || pal::ToUtf8(reply.View()) != "1") {
        std::fprintf(stderr, "upload failed: 0x%08x\n", static_cast<unsigned>(hr));
        std::exit(1);
    }
    return run;
}

Run Best(const std::vector<Run>& runs)
{
    return *std::min_element(runs.begin(), runs.end(),
                             [](const Run& a, const Run& b) { return a.seconds < b.seconds; });
}

} // namespace

int main(int argc, char** argv)
{
    std::size_t megabytes = 256;
    int rounds = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--megabytes") == 0) megabytes = std::strtoul(argv[i + 1], nullptr, 10);
        if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::max(1, std::atoi(argv[i + 1]));
    }
    const std::size_t size = megabytes << 20;

    // The sink is forked before any thread starts.
    pal::UniqueFd listener(socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listener.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(listener.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        listen(listener.Get(), 4) != 0)
        return 1;
    int pipes[2];
    if (pipe(pipes) != 0) return 1;
    const pid_t sink = fork();
    if (sink == 0) {
        close(pipes[0]);
        RunSink(listener.Get(), pipes[1]);
    }
    close(pipes[1]);
    const pal::UniqueFd report(pipes[0]);
    const std::string url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/demo/p1/upload.ushx";

    char path[] = "/tmp/orvana-upload-bench-XXXXXX";
    const pal::UniqueFd file(mkstemp(path));
    {
        std::vector<char> block(1 << 20);
        for (std::size_t i = 0; i < block.size(); ++i)
            block[i] = static_cast<char>(i * 131 + 7);
        for (std::size_t written = 0; written < size; written += block.size())
            if (write(file.Get(), block.data(), block.size()) != static_cast<ssize_t>(block.size())) return 1;
    }

    int status = 0;
    {
        emulator::ServiceEmulator service;
        service.Start();
        setenv("http_proxy", service.Url().c_str(), 1);
        setenv("no_proxy", "127.0.0.1", 1);
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        {
            host::HostClassRegistration hostClasses;
            pal::ComPtr<IZenfolioProxy> proxy;
            if (FAILED(pal::CreateComObject<CZenfolioProxy>(nullptr, IID_IZenfolioProxy,
                                                            proxy.ReleaseAndGetVoidAddress())) ||
                FAILED(proxy->Authenticate(u"demo", u"zenfolio-demo")))
                return 1;
            const std::u16string widePath = pal::ToUtf16(path), wideUrl = pal::ToUtf16(url);

            ComponentRun(proxy.Get(), widePath, wideUrl, static_cast<ULONG>(size), report.Get()); // warm-up
            ResetPeakRss();
            const long rssBefore = PeakRssKb();
            std::vector<Run> curlRuns, ownRuns;
            for (int round = 0; round < rounds; ++round) {
                curlRuns.push_back(CurlRun(path, url, report.Get()));
                ownRuns.push_back(ComponentRun(proxy.Get(), widePath, wideUrl, static_cast<ULONG>(size), report.Get()));
            }
            const long rssGrowth = PeakRssKb() - rssBefore;
            const Run curl = Best(curlRuns), own = Best(ownRuns);
            const double mb = static_cast<double>(size) / 1e6;
            std::printf("upload of %zu MB to a loopback sink, best of %d rounds\n", megabytes, rounds);
            std::printf("  curl -T:   %8.1f MB/s  cpu %.3f s  (sink cpu %.3f s)\n", mb / curl.seconds, curl.cpu,
                        curl.sinkCpu);
            std::printf("  UploadTo:  %8.1f MB/s  cpu %.3f s  (sink cpu %.3f s)  peak RSS growth %ld kB\n",
                        mb / own.seconds, own.cpu, own.sinkCpu, rssGrowth);
            const double throughputRatio = curl.seconds / own.seconds;
            const double cpuRatio = own.cpu / curl.cpu;
            std::printf("  throughput ratio %.2f (target >= 0.90), cpu ratio %.2f (target <= 1.20), "
                        "RSS growth %s 2 MB\n",
                        throughputRatio, cpuRatio, rssGrowth < 2048 ? "under" : "OVER");
            status = throughputRatio >= 0.9 && cpuRatio <= 1.2 && rssGrowth < 2048 ? 0 : 3;
        }
        CoUninitialize();
        service.Stop();
    }
    unlink(path);
    kill(sink, SIGTERM);
    waitpid(sink, nullptr, 0);
    return status;
}
