#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// Up and down arrows beside a number edit: they write the next number in the range into the
// edit, and the edit's arrow keys do the same. The edit itself accepts any text.
class CSpinButton : public QWidget
{
    Q_OBJECT
public:
    CSpinButton(QLineEdit* buddy, QWidget* parent = nullptr);

    void SetRange(int lower, int upper);
    int Lower() const { return m_lower; }
    int Upper() const { return m_upper; }
    void Step(int delta);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_buddy;
    QToolButton* m_up;
    QToolButton* m_down;
    int m_lower = 0;
    int m_upper = 100;
};
