#include "MessageBox.h"

#include <atomic>
#include <cstdio>

namespace {

class MStderrMessageBox final : public MMessageBoxHandler
{
public:
    void ShowMessage(const QString& text) override { std::fprintf(stderr, "%s\n", qUtf8Printable(text)); }
    int AskYesNo(const QString& text) override
    {
        ShowMessage(text);
        return kAlertFirstButtonReturn;
    }
};

std::shared_ptr<MMessageBoxHandler>& Slot()
{
    static std::shared_ptr<MMessageBoxHandler> slot = std::make_shared<MStderrMessageBox>();
    return slot;
}

} // namespace

void SetMessageBoxHandler(std::shared_ptr<MMessageBoxHandler> handler)
{
    std::atomic_store(&Slot(), handler ? std::move(handler) : std::make_shared<MStderrMessageBox>());
}

void ShowMessageBox(const QString& text)
{
    std::atomic_load(&Slot())->ShowMessage(text);
}

int AskYesNo(const QString& text)
{
    return std::atomic_load(&Slot())->AskYesNo(text);
}

int AskChoice(const QString& text, const QStringList& answers)
{
    return std::atomic_load(&Slot())->AskChoice(text, answers);
}
