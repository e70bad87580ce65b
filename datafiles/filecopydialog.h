#pragma once

#include <QString>
#include <QStringList>

#include "depositstate.h"
#include "reception/userinterface.h"

namespace vk7 {

// The frame-owned object that carries the data-file readers and the deposit
// load pass. There is no window behind it: its three lines are plain texts,
// line 3 being the status line the readers write their progress and error
// texts into; each such text also goes to the interface's ShowStatus.
class CFileCopyDialog
{
public:
    explicit CFileCopyDialog(DepositState &state, IUserInterface *ui = nullptr);
    virtual ~CFileCopyDialog() = default;

    CFileCopyDialog(const CFileCopyDialog &) = delete;
    CFileCopyDialog &operator=(const CFileCopyDialog &) = delete;

    // Reads the whole deposit in the work folder, in the fixed order, adding
    // to the store and lists that Close emptied. Always ends with 1.
    int LoadDeposit();

    // The readers; each reports in the status line and returns false when
    // its file cannot be read.
    bool ReadAccountsFile(const QString &fileName);
    bool ReadSharesFile(const QString &fileName);
    bool ReadCertificationFile(const QString &fileName);
    bool ReadApplicationFile(const QString &fileName);
    bool ReadTextFile(const QString &fileName, QStringList &pages);
    bool ReadImageList(const QString &filePattern);

    const QString &StatusLine() const { return line3; }

    DepositState &State() const { return state_; }

    QString line1;
    QString line2;
    QString line3;
    int kind = 0; // 0 with mode 11 selects the load pass
    int mode = 0;

protected:
    void ShowStatus(const QString &text);

private:
    enum class KeyedFile { Shares, Certification, Application };
    bool ReadKeyedFile(const QString &fileName, KeyedFile which);
    void StoreApplicationCode(QByteArrayView code);
    QString HostPath(const QString &fileName) const;

    DepositState &state_;
    IUserInterface *ui_;
};

} // namespace vk7
