#pragma once

#include <QtGlobal>
#include <atomic>

// Every pause a task makes between requests goes through here, so tests run with zero intervals and
// count the waits instead of sleeping, and a stopped run does not sit out its pause.
class MPacer
{
public:
    enum class Kind { Upload, Download };

    MPacer(qint64 uploadSeconds, qint64 downloadSeconds, const std::atomic<bool>* running = nullptr);
    virtual ~MPacer() = default;

    void WaitUpload() { Wait(Kind::Upload); }
    void WaitDownload() { Wait(Kind::Download); }
    void Wait(Kind kind);

    qint64 Seconds(Kind kind) const { return kind == Kind::Upload ? m_Upload : m_Download; }

protected:
    // Sleeps up to `seconds`, returning early once the run is stopped.
    virtual void Sleep(Kind kind, qint64 seconds);

private:
    qint64 m_Upload;
    qint64 m_Download;
    const std::atomic<bool>* m_Running;
};
