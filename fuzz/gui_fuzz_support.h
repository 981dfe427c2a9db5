#pragma once
// What the Qt-based fuzz targets set up once, from LLVMFuzzerInitialize.
//
// EnsureApplication: the QApplication, made once, on the offscreen
// platform unless the caller chose another, and never destroyed (the fuzzer
// leaves through exit()). Qt's debug and warning messages are dropped: a
// damaged font record or column makes Qt talk, and the fuzzer's log should
// show only its own findings. Fatal messages still abort.
//
// Thread: the fuzzer's thread only (it becomes the GUI thread).

#include "gui/paint/cell_paint_format.h"
#include "gui/paint/column_paint_format.h"

#include "fuzz/fuzz_check.h"
#include "platform/archive.h"

#include <QApplication>
#include <QByteArray>
#include <QCoreApplication>
#include <QEvent>
#include <QtGlobal>

#include <cstdio>
#include <span>
#include <string>

namespace Brivel::Fuzz {

// Qt aborts by itself after the handler has seen a fatal message.
inline void QuietMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg)
        std::fprintf(stderr, "Qt: %s\n", qPrintable(message));
}

inline void EnsureApplication()
{
    static QApplication* const s_application = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(&QuietMessageHandler);
        static int argc = 1;
        static char name[] = "brivel-fuzz";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv); // lives until exit
    }();
    static_cast<void>(s_application);
}

// Names the library's serializable paint formats, which links their
// translation units into the target; their registrars then make them
// loadable by class name, as a column's stored form asks.
inline void LinkPaintFormats()
{
    const GUI::CCellPaintFormat cellPaintFormat;
    const GUI::CColumnPaintFormat columnPaintFormat;
    static_cast<void>(cellPaintFormat);
    static_cast<void>(columnPaintFormat);
}

// The stored form of anything with Serialize(CArchive&).
template <class T>
Bytes StoreToBytes(T& object)
{
    Platform::CArchive archive;
    object.Serialize(archive);
    const QByteArray& data = archive.GetData();
    return {data.begin(), data.end()};
}

// The round trip of an object that loads from a CArchive: loads `input`
// into make()'s object; when that succeeds, stores it (bytes1), loads bytes1
// into a second object, which must read it to its end, and stores that
// (bytes2): bytes1 == bytes2. A load may refuse its input only with
// CArchiveException (a column turns the envelope's own exceptions into a
// dropped format); anything else escapes and the fuzzer reports it.
// afterLoad(object) runs after each successful load, for checks of the
// loaded object's own.
struct NoCheck {
    template <class T>
    void operator()(const T&) const
    {
    }
};

template <class Make, class AfterLoad = NoCheck>
void CheckArchiveRoundTrip(std::span<const uint8_t> input, Make make, const std::string& what,
                           AfterLoad afterLoad = {})
{
    auto first = make();
    try {
        Platform::CArchive archive(
            QByteArray(reinterpret_cast<const char*>(input.data()), static_cast<qsizetype>(input.size())));
        first->Serialize(archive);
    } catch (const Platform::CArchiveException&) {
        return; // refused: a damaged, short or newer stored form
    }
    afterLoad(*first);
    const Bytes bytes1 = StoreToBytes(*first);

    auto second = make();
    Platform::CArchive archive(QByteArray(reinterpret_cast<const char*>(bytes1.data()), qsizetype(bytes1.size())));
    try {
        second->Serialize(archive);
    } catch (const Platform::CArchiveException& e) {
        std::fprintf(stderr, "%s: %s\n", what.c_str(), e.what());
        Require(false, "an object refuses the form it stored");
    }
    Require(archive.GetRemainingForTesting() == 0, "an object leaves part of its stored form unread");
    afterLoad(*second);
    RequireSameBytes(bytes1, StoreToBytes(*second), what.c_str());
}

// Deletes what the objects of one input left to deleteLater, so that inputs
// do not pile up on each other.
inline void DeleteLaterObjects()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// EnsureApplication and LinkPaintFormats, for LLVMFuzzerInitialize.
inline void InitializeGuiTarget()
{
    EnsureApplication();
    LinkPaintFormats();
}

} // namespace Brivel::Fuzz
