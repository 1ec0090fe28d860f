#pragma once

#include <QDialog>

#include <string>

class CStaticLink;
class QLabel;

// "About Tavrix": the program, its version, what it does, the legal notices and two links whose
// visited flags belong to the application, so a followed link stays purple for the run.
class CAboutDlg : public QDialog
{
    Q_OBJECT
public:
    CAboutDlg(int* licenceVisited, int* guideVisited, QWidget* parent = nullptr);

    int DoModal();

    CStaticLink* m_linkLicence;
    CStaticLink* m_linkGuide;
    std::string m_strLegal;

private:
    void OnInitDialog();
    // Places a control at a rectangle given in dialog units of the dialog's font.
    void Place(QWidget* control, int x, int y, int width, int height) const;

    int* m_pLicenceVisited;
    int* m_pGuideVisited;
    QLabel* m_legal;
    double m_unitX;
    double m_unitY;
};

// The legal text shown in the box.
std::string AboutLegalText();
