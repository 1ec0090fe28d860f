#include "about/AboutDlg.h"

#include "about/AboutInfo.h"
#include "about/StaticLink.h"
#include "app/InstalledDocs.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QSysInfo>
#include <QUrl>

namespace {
QLabel* CentredStatic(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}
// A file's URL; a missing file gives none, and the link says so when clicked.
std::string LinkTo(const QString& file)
{
    return file.isEmpty() ? "" : QUrl::fromLocalFile(file).toString().toStdString();
}
} // namespace

std::string AboutLegalText()
{
    return std::string("\n\n") + "MetaStock is a\nregistered trademark of\nEQUIS International Inc." +
           "  CompuTrac is a\nregistered trademark of\nDow Jones Telerate";
}

CAboutDlg::CAboutDlg(int* licenceVisited, int* guideVisited, QWidget* parent)
    : QDialog(parent), m_strLegal(AboutLegalText()), m_pLicenceVisited(licenceVisited), m_pGuideVisited(guideVisited)
{
    setObjectName("CAboutDlg");
    setWindowTitle("About Tavrix");
    // Dialog units: a quarter of the font's average character width, an eighth of its height.
    const QFontMetrics metrics(font());
    const QString alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    m_unitX = metrics.horizontalAdvance(alphabet) / 52.0 / 4.0;
    m_unitY = metrics.height() / 8.0;
    setFixedSize(static_cast<int>(262 * m_unitX), static_cast<int>(167 * m_unitY));

    auto* whatBox = new QGroupBox("What Tavrix Does", this);
    Place(whatBox, 10, 5, 128, 52);
    auto* legalBox = new QGroupBox("Legal Stuff", this);
    Place(legalBox, 10, 65, 128, 92);

    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(":/res/tavrix-32.xpm").pixmap(32, 32));
    Place(icon, 190, 110, 20, 20);
    Place(CentredStatic("Tavrix Version 1.5", this), 160, 15, 75, 8);
    Place(CentredStatic(about::kCopyright, this), 155, 25, 85, 8);
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("IDOK");
    ok->setDefault(true);
    Place(ok, 175, 140, 55, 14);
    m_legal = CentredStatic(QString(), this);
    m_legal->setObjectName("m_strLegal");
    Place(m_legal, 18, 81, 112, 72);
    Place(CentredStatic("Converts historical financial data in ASCII form to data in MetaStock or CompuTrac format",
                        this),
          22, 20, 100, 32);
    Place(CentredStatic(QString("A %1-bit application\nby\n").arg(QSysInfo::WordSize) + about::kAuthorName, this), 165,
          40, 64, 25);
    // Both links lead to what is installed with the program, so they work without a network.
    m_linkLicence = new CStaticLink("Licence", this);
    m_linkLicence->m_strLink = LinkTo(InstalledDocument("copyright", "res/debian/copyright"));
    m_linkLicence->setObjectName("m_linkLicence");
    m_linkLicence->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Place(m_linkLicence, 150, 75, 100, 10);
    m_linkGuide = new CStaticLink("User Guide", this);
    m_linkGuide->m_strLink = LinkTo(UserGuide());
    m_linkGuide->setObjectName("m_linkGuide");
    m_linkGuide->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Place(m_linkGuide, 140, 90, 120, 10);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    OnInitDialog();
}

void CAboutDlg::Place(QWidget* control, int x, int y, int width, int height) const
{
    control->setGeometry(static_cast<int>(x * m_unitX), static_cast<int>(y * m_unitY),
                         static_cast<int>(width * m_unitX), static_cast<int>(height * m_unitY));
}

void CAboutDlg::OnInitDialog()
{
    m_linkLicence->m_pbVisited = m_pLicenceVisited;
    m_linkGuide->m_pbVisited = m_pGuideVisited;
    m_legal->setText(QString::fromStdString(m_strLegal));
}

int CAboutDlg::DoModal()
{
    return exec();
}
