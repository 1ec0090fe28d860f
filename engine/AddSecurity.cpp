#include "engine/ConversionJob.h"
#include "settings/SettingsRules.h"

namespace tavrix {
int ConversionJob::OpenEdit(bool makeNew)
{
    if (m_pSharedEdit)
    {
        m_edit = m_pSharedEdit;
        return 0;
    }
    m_ownEdit = std::make_unique<DirectoryEdit>(m_strPath);
    m_edit = m_ownEdit.get();
    m_edit->m_stepHook = m_stepHook;
    if (JobError problem = m_edit->Load(m_strMasterName, makeNew); problem.Failed())
        return Fail(problem);
    WarnAboutEmaster();
    return 0;
}

int ConversionJob::AddSecurity()
{
    if (rules::NameMarksDirectory(Name()))
    {
        JobError error;
        error.what = rules::kNameMarksDirectory;
        return Fail(error);
    }
    if (OpenEdit(!UsesExistingMaster()))
        return 1;
    // The number is taken when the prices are written; here the directory is asked for room.
    m_nFileNumber = m_edit->NextFileNumber();
    return m_nFileNumber == 0 ? Fail(m_edit->NoRoom()) : 0;
}
} // namespace tavrix
