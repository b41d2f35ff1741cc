#include "ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testsupport {

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> Environment(const std::vector<std::string>& extra)
{
    std::map<std::string, std::string> vars;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        vars[entry.substr(0, entry.find('='))] = entry;
    }
    for (const std::string& entry : extra)
        vars[entry.substr(0, entry.find('='))] = entry;
    std::vector<std::string> list;
    for (auto& [name, entry] : vars)
        list.push_back(entry);
    return list;
}

std::vector<char*> Pointers(std::vector<std::string>& strings)
{
    std::vector<char*> list;
    for (std::string& s : strings)
        list.push_back(s.data());
    list.push_back(nullptr);
    return list;
}

} // namespace

CChildProcess::~CChildProcess()
{
    if (m_pid > 0 && m_status < 0) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    if (m_outFd >= 0)
        ::close(m_outFd);
    if (m_errFd >= 0)
        ::close(m_errFd);
}

bool CChildProcess::Start(const std::vector<std::string>& argv,
                          const std::vector<std::string>& extraEnv)
{
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return false;
    if (::pipe2(err, O_CLOEXEC) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    std::vector<std::string> args = argv;
    std::vector<std::string> env = Environment(extraEnv);
    std::vector<char*> argPointers = Pointers(args);
    std::vector<char*> envPointers = Pointers(env);
    const int spawned = ::posix_spawn(&m_pid, args[0].c_str(), &actions, nullptr,
                                      argPointers.data(), envPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    m_outFd = out[0];
    m_errFd = err[0];
    if (spawned != 0) {
        m_pid = -1;
        return false;
    }
    return true;
}

bool CChildProcess::Pump(std::chrono::milliseconds wait)
{
    pollfd fds[2] = {{m_outFd, POLLIN, 0}, {m_errFd, POLLIN, 0}};
    const int ready = ::poll(fds, 2, static_cast<int>(wait.count()));
    if (ready <= 0)
        return ready == 0 || errno == EINTR;
    bool open = false;
    for (int i = 0; i < 2; ++i) {
        if (fds[i].fd < 0)
            continue;
        if (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) {
            char buffer[4096];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                (i == 0 ? m_out : m_err).append(buffer, static_cast<size_t>(n));
                open = true;
            } else if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) {
                ::close(fds[i].fd);
                (i == 0 ? m_outFd : m_errFd) = -1;
            } else {
                open = true;
            }
        } else {
            open = true;
        }
    }
    return open || m_outFd >= 0 || m_errFd >= 0;
}

bool CChildProcess::ReadUntil(const std::function<bool(const std::string&)>& done,
                              std::chrono::milliseconds deadline)
{
    const auto end = Clock::now() + deadline;
    while (!done(m_out) && Clock::now() < end && (m_outFd >= 0 || m_errFd >= 0))
        if (!Pump(std::chrono::milliseconds(50)))
            break;
    return done(m_out);
}

bool CChildProcess::Signal(int signal) const
{
    return m_pid > 0 && ::kill(m_pid, signal) == 0;
}

int CChildProcess::Wait(std::chrono::milliseconds deadline)
{
    if (m_pid <= 0)
        return -1;
    const auto end = Clock::now() + deadline;
    while (m_status < 0 && Clock::now() < end) {
        if (m_outFd >= 0 || m_errFd >= 0)
            Pump(std::chrono::milliseconds(50));
        int status = 0;
        const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
        if (done == m_pid)
            m_status = status;
        else if (m_outFd < 0 && m_errFd < 0)
            ::poll(nullptr, 0, 10); // output closed, exit not yet reaped
    }
    while (m_status >= 0 && (m_outFd >= 0 || m_errFd >= 0) && Clock::now() < end)
        if (!Pump(std::chrono::milliseconds(50)))
            break;
    if (m_status < 0)
        return -1;
    if (WIFEXITED(m_status))
        return WEXITSTATUS(m_status);
    return WIFSIGNALED(m_status) ? 128 + WTERMSIG(m_status) : -1;
}

CProgramResult RunProgram(const std::vector<std::string>& argv,
                          const std::vector<std::string>& extraEnv)
{
    CChildProcess child;
    CProgramResult result;
    if (!child.Start(argv, extraEnv))
        return result;
    result.code = child.Wait();
    result.out = child.Out();
    result.err = child.Err();
    return result;
}

} // namespace testsupport
