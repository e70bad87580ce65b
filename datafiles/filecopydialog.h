#pragma once

#include <stop_token>

#include <QString>
#include <QStringList>

#include "depositstate.h"
#include "readfailure.h"
#include "reception/userinterface.h"

namespace vk7 {

// The frame-owned object that carries the data-file readers and the deposit
// load pass, a front over the readers of accountsfile.h, keyedfiles.h and
// textfiles.h that puts their progress and failures into words. There is no
// window behind it: line 3 is the plain-text status line the readers' progress
// and error texts are written into; each such text also goes to the
// interface's ShowStatus. The name is the system's own, kept though the
// class is neither a dialog nor a copier.
class CFileCopyDialog
{
public:
    explicit CFileCopyDialog(DepositState &state, IUserInterface *ui = nullptr);
    virtual ~CFileCopyDialog() = default;

    CFileCopyDialog(const CFileCopyDialog &) = delete;
    CFileCopyDialog &operator=(const CFileCopyDialog &) = delete;

    // Reads the whole deposit in the work folder, in the fixed order, adding
    // to the store and lists that Close emptied. A file that cannot be read
    // is said in the status line and the pass goes on. The first failure of
    // the machine or stop of the clerk the pass met (Kind::None when none):
    // what was read is then not the deposit.
    Failure LoadDeposit();

    // The readers; each reports in the status line and returns false when
    // its file cannot be read. The first failure of the machine or stop of
    // the clerk a reader met is kept (MachineFailure) until LoadDeposit.
    bool ReadAccountsFile(const QString &fileName);
    bool ReadSharesFile(const QString &fileName);
    bool ReadCertificationFile(const QString &fileName);
    bool ReadApplicationFile(const QString &fileName);
    bool ReadTextFile(const QString &fileName, TextPageList &pages);
    bool ReadImageList(const QString &filePattern);

    const QString &StatusLine() const { return line3; }
    const Failure &MachineFailure() const { return machineFailure_; }

    DepositState &State() const { return state_; }
    // The running job's stop: the texts' reading stops at its next pages.
    void SetStop(std::stop_token stop) { stop_ = std::move(stop); }

    QString line3;

protected:
    void ShowStatus(const QString &text);

private:
    // Shows the failure text of a reading that did not end well: its own,
    // or `unread`'s when the machine refused or the clerk stopped it.
    bool Report(const Failure &failure, const Failure &unread);
    QByteArray HostPath(const QString &fileName) const;

    DepositState &state_;
    std::stop_token stop_;
    IUserInterface *ui_;
    Failure machineFailure_;
};

} // namespace vk7
