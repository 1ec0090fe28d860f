#pragma once

#include <QDialog>

#include <string>

class QComboBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

// "Choose Directory": picks or creates the output directory. The result is a full file name made
// of the folder in the directory-name field, as an absolute path (a relative name is taken from
// the folder shown, `~` is the home folder), and the dummy file name "Junk", with the offset of
// that file-name part; the caller keeps what comes before the separator in front of it.
class CChooseDir : public QDialog
{
    Q_OBJECT
public:
    explicit CChooseDir(QWidget* parent = nullptr);

    // The folder the dialog opens in; an empty or missing one opens the working directory.
    void SetInitialDir(const std::string& directory);

    std::string m_strDirName;  // the folder text
    std::string m_strFileName; // on acceptance: folder, separator, "Junk"
    int m_nFileOffset = 0;     // position of "Junk" in m_strFileName

    // Opens a folder: the list shows the chain down to it, then its subfolders.
    void OpenFolder(const std::string& folder);
    std::string OpenedFolder() const { return m_strOpenFolder; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildDirName();
    // The OK check; true lets the dialog end.
    bool OnFileNameOK();
    void OnOK();
    void FillDrives();

    QLineEdit* m_editDirName;
    QListWidget* m_lstFolders;
    QComboBox* m_cmbDrives;
    std::string m_strOpenFolder;
    int m_nChainLength = 0; // entries of the list that lead down to the open folder
    bool m_bFirstPaint = false;
};
