#pragma once
// The reflectors that edit a cell through a control over it.
//
// CDefaultReflector edits the cell's text, as shown, in a line edit; the
// numeric family edits in a CNumericEdit whose mode follows the kind (and a
// hexadecimal integer format), opened on the cell's text with every
// character outside the family's strip set removed (digit grouping and
// other decoration go). The enumeration reflector offers the format's words
// in a drop-down list, the date-time reflectors a date-time edit with a
// calendar pop-up, and the duration reflector a CNumericEdit in time mode.
// Each writes back the control's text through the grid (CGrid::SetCellText),
// which the cell's format parses; a text it cannot parse writes nothing.
//
// Keys: Left and Right stay in a line edit while the caret can move (at the
// left end Left, at the right end Right goes to the grid); Ctrl+A always
// stays; the list and date-time controls keep the arrow keys.
//
// Ownership: each reflector owns its open control (a child widget of the
// grid, also owned by Qt through that parent): EndEdit deletes it.
// Thread: GUI thread only.

#include "gui/editing/control_reflector.h"

#include "common/value_kind.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>
#include <string_view>

namespace Brivel::GUI {

// Edits the cell's text, as shown, in a line edit; the base of the other
// reflectors that edit through a control.
class CDefaultReflector : public IControlReflector {
public:
    CDefaultReflector() = default;
    ~CDefaultReflector() override;

    bool IsSuitable(const Common::CFormat& format) const override;
    bool StartEdit(const EditContext& context, const Common::CFormat* format, int32_t trigger) override;
    bool OnKeyAction(const EditContext& context, int32_t action) override;
    bool Commit(const EditContext& context, bool announce) override;
    bool EndEdit(CGrid* grid, CGridItem* item, CColumn* column) override;
    QWidget* GetControl() const override { return m_control.data(); }

    // The control's text, as Commit writes it.
    virtual QString GetControlText() const;
    // Puts `text` in the open control (typing that starts an edit replaces
    // the cell's text); false when the control did not take it (a list
    // with no word starting so, a date-time edit, no control).
    virtual bool SetControlText(const QString& text);

protected:
    // A new control over `context`'s cell showing `text`, as a child of `parent`.
    virtual std::unique_ptr<QWidget> MakeControl(const EditContext& context, const Common::CFormat& format,
                                                 const QString& text, QWidget* parent) const;
    // The text the control opens with.
    virtual QString InitialText(const EditContext& context, const Common::CFormat& format) const;
    // The format used when StartEdit is given none.
    virtual const Common::CFormat* FallbackFormat(const EditContext& context) const;

    // Deletes the open control (later, when Qt is inside one of its events).
    void DestroyControl();

private:
    QPointer<QWidget> m_control; // owned: deleted by EndEdit (or DestroyControl)
};

// The numeric family: mode and strip set by kind.
class CNumericReflector : public CDefaultReflector {
public:
    // The reflector of value kind `kind`, whose own format class is
    // `ownTypeName` ("" for the real kinds), keeping the characters of
    // `stripSet` when it opens on a cell's text.
    CNumericReflector(Common::ValueKind kind, std::string_view ownTypeName, std::string_view stripSet);

    bool IsSuitable(const Common::CFormat& format) const override;

protected:
    std::unique_ptr<QWidget> MakeControl(const EditContext& context, const Common::CFormat& format,
                                         const QString& text, QWidget* parent) const override;
    QString InitialText(const EditContext& context, const Common::CFormat& format) const override;
    const Common::CFormat* FallbackFormat(const EditContext& context) const override;
    // The CNumericEdit mode for `format`.
    virtual int32_t ModeFor(const Common::CFormat& format) const;
    bool IsUnsigned() const; // the kind has no sign

    const Common::ValueKind m_kind; // the value kind edited
    const std::string_view m_ownTypeName; // the kind's own format class ("" for the real kinds)
    const QString m_stripSet; // the characters kept of a cell's text
};

// int32 fields with an enumeration format: a drop-down list of its words.
class CLongEnumReflector final : public CDefaultReflector {
public:
    bool IsSuitable(const Common::CFormat& format) const override;
    bool OnKeyAction(const EditContext& context, int32_t action) override;
    QString GetControlText() const override;
    bool SetControlText(const QString& text) override;

protected:
    std::unique_ptr<QWidget> MakeControl(const EditContext& context, const Common::CFormat& format,
                                         const QString& text, QWidget* parent) const override;
};

// int64 (file time) and int32 (seconds) fields with a date-time format.
class CDateTimeReflector final : public CDefaultReflector {
public:
    // The reflector of the date formats of value kind `kind`.
    explicit CDateTimeReflector(Common::ValueKind kind) : m_kind(kind) {}
    bool IsSuitable(const Common::CFormat& format) const override;
    bool OnKeyAction(const EditContext& context, int32_t action) override;
    bool SetControlText(const QString& text) override;

protected:
    std::unique_ptr<QWidget> MakeControl(const EditContext& context, const Common::CFormat& format,
                                         const QString& text, QWidget* parent) const override;

private:
    const Common::ValueKind m_kind;
};

// int32 durations: a CNumericEdit in time mode (with fractions when the
// format shows milliseconds).
class CLongMsecTimeReflector final : public CNumericReflector {
public:
    CLongMsecTimeReflector();
    bool IsSuitable(const Common::CFormat& format) const override;

protected:
    int32_t ModeFor(const Common::CFormat& format) const override;
};

} // namespace Brivel::GUI
