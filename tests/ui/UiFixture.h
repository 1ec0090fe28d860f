#pragma once

#include "MessageRecorder.h"
#include "app/MainFrame.h"
#include "app/MessageBox.h"
#include "app/TavrixView.h"
#include "settings/ProfileStore.h"
#include "support/HiveSandbox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace testing_support {
// Runs `act` on the next modal dialog of type T once it is showing; a dialog opened with exec()
// blocks the caller, so the test queues what the user would do before triggering the command.
template <typename T> void OnNextModal(std::function<void(T*)> act, QWidget* notThis = nullptr)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act, notThis] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog || dialog == notThis || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        act(dialog);
    });
    timer->start();
}

inline void Click(QWidget* dialog, const char* name)
{
    QTest::mouseClick(dialog->findChild<QAbstractButton*>(name), Qt::LeftButton);
}

inline QLineEdit* Field(QWidget* dialog, const char* name)
{
    return dialog->findChild<QLineEdit*>(name);
}

// A main frame over a sandboxed store, with message boxes recorded and beeps counted.
class UiFixture : public ::testing::Test
{
protected:
    UiFixture() { MakeDir(m_out); }
    ~UiFixture() override
    {
        m_frame.reset();
        ui::SetBeepHandler(m_oldBeep);
    }

    CMainFrame& Frame()
    {
        if (!m_frame)
            (m_frame = std::make_unique<CMainFrame>(m_store.get()))->show();
        return *m_frame;
    }
    CTavrixView& View() { return *Frame().GetActiveView(); }
    // The log with each run's time as hh:mm:ss.
    std::string Log()
    {
        return View().toPlainText().replace(QRegularExpression("\\d\\d:\\d\\d:\\d\\d"), "hh:mm:ss").toStdString();
    }
    std::string Input(const std::string& text)
    {
        const std::string path = m_dir / ("input" + std::to_string(++m_inputs) + ".csv");
        WriteText(path, text);
        return path;
    }

    HiveSandbox m_sandbox;
    TempDir m_dir;
    std::string m_out = m_dir / "out";
    MessageRecorder m_boxes;
    std::unique_ptr<tavrix::ProfileStore> m_store = tavrix::CreateProfileStore();
    std::unique_ptr<CMainFrame> m_frame;
    int m_beeps = 0;

private:
    ui::BeepHandler m_oldBeep = ui::SetBeepHandler([this](ui::Icon) { ++m_beeps; });
    int m_inputs = 0;
};
} // namespace testing_support
