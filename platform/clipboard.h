#pragma once
// IClipboard: the system clipboard as the copy and paste code uses it, one
// transaction at a time: Open, Empty, SetData for each format, Close. What
// is set between Open and Close reaches the clipboard at Close, all formats
// at once and only when at least one was set, so a copy that places nothing
// leaves the clipboard exactly as it was.
//
// CSystemClipboard: the application's QClipboard. Open fails without a
// QGuiApplication or a clipboard, and while a transaction is open.
//
// Ownership: a CSystemClipboard owns the QMimeData it builds until Close
// hands it to QClipboard (which then owns it).
// Thread: GUI thread only (QClipboard's rule).

#include <QByteArray>

#include <cstdint>
#include <memory>

class QMimeData;

namespace Brivel::Platform {

class IClipboard {
public:
    virtual ~IClipboard() = default;
    // Starts a transaction; false when the clipboard cannot be had.
    virtual bool Open() = 0;
    // Drops what the transaction has set so far; at Close the clipboard's
    // previous contents are replaced only when something was set afterwards.
    virtual void Empty() = 0;
    // Sets `bytes` under a clipboard format number (clipboard_format.h);
    // false for an unknown format or outside a transaction.
    virtual bool SetData(uint32_t format, const QByteArray& bytes) = 0;
    // Ends the transaction, publishing what was set. Idempotent.
    virtual void Close() = 0;
    // The bytes of a format on the clipboard now; empty when absent.
    virtual QByteArray GetData(uint32_t format) = 0;

protected:
    IClipboard() = default;
    IClipboard(const IClipboard&) = default;
    IClipboard& operator=(const IClipboard&) = default;
};

// The system clipboard (QClipboard).
class CSystemClipboard final : public IClipboard {
public:
    CSystemClipboard();
    ~CSystemClipboard() override;
    CSystemClipboard(const CSystemClipboard&) = delete;
    CSystemClipboard& operator=(const CSystemClipboard&) = delete;

    bool Open() override;
    void Empty() override;
    bool SetData(uint32_t format, const QByteArray& bytes) override;
    void Close() override;
    QByteArray GetData(uint32_t format) override;

private:
    std::unique_ptr<QMimeData> m_pending; // the open transaction's data; null when closed
    bool m_placed = false;                // something was set since Open or Empty
};

} // namespace Brivel::Platform
