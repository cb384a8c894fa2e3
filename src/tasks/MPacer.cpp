#include "MPacer.h"

#include <chrono>
#include <thread>

MPacer::MPacer(qint64 uploadSeconds, qint64 downloadSeconds, const std::atomic<bool>* running)
    : m_Upload(uploadSeconds)
    , m_Download(downloadSeconds)
    , m_Running(running)
{ }

void MPacer::Wait(Kind kind)
{
    Sleep(kind, Seconds(kind));
}

void MPacer::Sleep(Kind, qint64 seconds)
{
    using namespace std::chrono;
    const auto end = steady_clock::now() + std::chrono::seconds(seconds);
    while (steady_clock::now() < end) {
        if (m_Running && !m_Running->load())
            return;
        std::this_thread::sleep_for(std::min<steady_clock::duration>(milliseconds(100), end - steady_clock::now()));
    }
}
