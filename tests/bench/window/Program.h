#pragma once
// The installed program started in its run folder on the bench's display,
// with a runtime and temporary folder of its own (its instance guard's
// socket lives there).
#include <QString>

namespace windowbench {

class Program {
public:
    Program(const QString& runFolder, const QString& display, const QString& privateFolder);
    ~Program();   // a copy still running is killed
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool started() const { return m_pid > 0; }
    // Waits up to `boundMs` for the program to end; true when it has.
    bool waitExit(int boundMs);
    int exitCode() const { return m_status; }
    // Resident memory now, in MB (0 once ended).
    double residentMb() const;
    int pid() const { return m_pid; }

private:
    int m_pid = -1;
    int m_status = -1;
};

} // namespace windowbench
