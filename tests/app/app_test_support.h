#pragma once
// Shared pieces of the window tests: the offscreen application and a message
// box presenter that records every box and answers from a script.

#include "util/message_box.h"

#include <QApplication>
#include <QElapsedTimer>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace zr::testing {

inline QApplication &App()
{
    if (auto *existing = qobject_cast<QApplication *>(QCoreApplication::instance()))
        return *existing;
    static int argc = 1;
    static char name[] = "app_tests";
    static char *argv[] = {name, nullptr};
    static QApplication *app = new QApplication(argc, argv);
    return *app;
}

// Runs the event loop until done() or the time is up; true when done.
inline bool PumpUntil(const std::function<bool()> &done, int milliseconds = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

class RecordingPresenter : public MessageBoxPresenter {
public:
    std::vector<std::string> texts;
    std::vector<TMsgDlgType> types;
    std::deque<int> answers;           // results to give in order; then mrNo
    std::function<void()> whileShown;  // runs inside each box (the run goes on meanwhile)
    int beeps = 0;
    void Beep() override { ++beeps; }
    int Show(const MessageBoxRequest &request) override
    {
        texts.push_back(request.text);
        types.push_back(request.type);
        if (whileShown)
            whileShown();
        if (answers.empty())
            return request.buttons.Contains(mbOK) ? mrOk : mrNo;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

}  // namespace zr::testing
