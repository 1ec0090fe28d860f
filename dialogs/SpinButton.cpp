#include "dialogs/SpinButton.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

CSpinButton::CSpinButton(QLineEdit* buddy, QWidget* parent)
    : QWidget(parent), m_buddy(buddy), m_up(new QToolButton(this)), m_down(new QToolButton(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton* button : {m_up, m_down})
    {
        button->setArrowType(button == m_up ? Qt::UpArrow : Qt::DownArrow);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedSize(14, 10);
        layout->addWidget(button);
    }
    // The arrows keep their size and stay together beside the edit, however the dialog is resized.
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_up->setObjectName("up");
    m_down->setObjectName("down");
    connect(m_up, &QToolButton::clicked, this, [this] { Step(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { Step(-1); });
    m_buddy->installEventFilter(this);
}

void CSpinButton::SetRange(int lower, int upper)
{
    m_lower = lower;
    m_upper = upper;
}

void CSpinButton::Step(int delta)
{
    bool ok = false;
    int value = m_buddy->text().trimmed().toInt(&ok);
    value = ok ? value + delta : m_lower;
    value = value < m_lower ? m_lower : (value > m_upper ? m_upper : value);
    m_buddy->setText(QString::number(value));
}

bool CSpinButton::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_buddy && event->type() == QEvent::KeyPress && isEnabled())
    {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down)
        {
            Step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
