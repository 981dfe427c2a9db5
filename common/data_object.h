#pragma once
// CDataObject: the base of every object a grid row can show, and its
// subscriber interface CDataObject::ISink.
//
// A data object gives uniform access to its values by field identifier,
// through its class's field map (field_map.h, filled by a field table, see
// field_table.h): typed reads and writes, reads and writes of a tagged
// CFieldValue, and text through a format. Each typed operation works only
// on a field of exactly its kind; anything else gives the type's zero (reads)
// or false (writes). Failures are results, never exceptions.
//
// It also keeps a list of subscribers and tells them when a field changed
// (NotifyUpdate) and when the object is destroyed (OnDelete). Writers announce
// changes themselves: no setter, typed or textual, announces anything.
//
// The virtual operations are declared in a fixed slot order that other code
// relies on; keep it exactly when editing this class:
//    0      destructor
//    1      GetField           2 GetFields          3 GetFieldIds
//    4      GetFieldMap (abstract)
//    5      IsReadable         6 IsWritable         7 GetFieldKind
//    8      GetFieldName       9 GetFieldFormat
//   10-22   typed getters for kinds 1..13 (GetCString ... GetOpaque)
//   23      GetValue
//   24-36   typed setters for kinds 1..13 (SetCString ... SetOpaque)
//   37      SetValue
//   38      GetTextCString     39 SetText(CString)
//   40      GetText            41 SetText(std::string)
//   42      GetObjectText      43 IsObjectFlagged   44 Serialize
// The framework-string text read is GetTextCString because the two text
// reads differ only in their result type.
//
// Destruction order. Subscribers may read the object's fields while they
// handle OnDelete (the grid's dispatcher does, on another thread, until its
// rows are gone), so the announcement must come before any derived state is
// torn down. A derived class that owns such state calls AnnounceDeletion()
// first thing in its own destructor; the base destructor then finds the list
// empty. The base destructor still announces for classes that do not, but by
// then only the CDataObject part exists: a sink must not call the object's
// virtual operations from such a late OnDelete.
//
// Ownership: the object does not own its subscribers; a subscriber must
// unsubscribe or outlive the object. Subscribers are told of the destruction
// exactly once, after which the object must not be used.
// Thread: any thread. Subscribe, Unsubscribe, NotifyUpdate and the deletion
// announcement may run on different threads at once; the lock guards the
// subscriber list only and is never held while a subscriber runs, so a
// subscriber may call back into the object, subscribe or unsubscribe (taking
// effect from the next announcement). Field values are not guarded here:
// reading and writing them is the derived class's business.

#include "common/cstring.h"
#include "common/field.h"
#include "common/field_map.h"
#include "common/field_value.h"
#include "common/format.h"
#include "common/lock.h"
#include "common/value_kind.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>

namespace Brivel::Common {

class CSerializer;

// The result of a field lookup: the field, and the object its getter and
// setter run on. For every data object of this library the target is the
// object itself; a lookup that finds nothing has no field, and an object
// without a field map gives neither.
//
// The target is not const even when the lookup ran on a const object: rows
// share objects by address, and a write through the target is the caller's
// decision (the object's own setters do it for the caller).
struct CFieldRef {
    const CField* field = nullptr; // Not owned; lives as long as its map. // the field; null when none was found
    CDataObject* target = nullptr; // Not owned. // the object its getter and setter run on

    // True when both a field and a target were found.
    explicit operator bool() const noexcept { return field != nullptr && target != nullptr; }
    // Same field and same target.
    friend bool operator==(const CFieldRef&, const CFieldRef&) = default;
};

// Orders field references by field address, then by target address.
struct CFieldRefLess {
    // True when `a` orders before `b`.
    bool operator()(const CFieldRef& a, const CFieldRef& b) const noexcept
    {
        if (a.field != b.field)
            return std::less<const CField*>()(a.field, b.field);
        return std::less<const CDataObject*>()(a.target, b.target);
    }
};

// Field references, ordered by CFieldRefLess.
using FieldRefSet = std::set<CFieldRef, CFieldRefLess>;
// Field identifiers in ascending order.
using FieldIdSet = std::set<int32_t>;

class CDataObject {
public:
    // The subscriber interface. Slots: (0) OnUpdate for a set of fields,
    // whose default calls slot 1 once per identifier in ascending order;
    // (1) OnUpdate for one field, abstract; (2) OnDelete, whose default does
    // nothing. There is no destructor slot: subscribers are never deleted
    // through this interface, so its destructor is protected.
    //
    // OnDelete must not throw: it runs inside destructors. An exception from
    // OnUpdate passes out of NotifyUpdate; the sinks after it are not called.
    // A sink class that overrides one OnUpdate should say
    // `using CDataObject::ISink::OnUpdate;` so that the other stays visible.
    class ISink {
    public:
        // Slot 0: the fields `ids` of `object` changed.
        virtual void OnUpdate(const FieldIdSet& ids, CDataObject* object);
        // Slot 1: the field `id` of `object` changed.
        virtual void OnUpdate(int32_t id, CDataObject* object) = 0;
        // Slot 2: `object` is being destroyed.
        virtual void OnDelete(CDataObject* object);

    protected:
        ISink() = default;
        ISink(const ISink&) = default;
        ISink& operator=(const ISink&) = default;
        ~ISink() = default;
    };

    CDataObject(const CDataObject&) = delete;
    CDataObject& operator=(const CDataObject&) = delete;

    // ---- Slot 0 ----
    // Announces the deletion (AnnounceDeletion) if the derived class has not
    // done so already.
    virtual ~CDataObject();

    // ---- Field lookup (slots 1-9) ----
    // (map's Find(id), this); no field when the id is not registered; neither
    // member without a map.
    virtual CFieldRef GetField(int32_t id) const;
    // Inserts (field, this) for every field of the map and its parent chain.
    virtual void GetFields(FieldRefSet& fields) const;
    // Inserts the identifier of every field of the map and its parent chain.
    virtual void GetFieldIds(FieldIdSet& ids) const;
    // The class's field map. Every concrete class supplies it (field_table.h
    // writes the override).
    virtual const CFieldMap* GetFieldMap() const = 0;
    // The field exists and has a getter / a setter.
    virtual bool IsReadable(int32_t id) const;
    // The field exists and has a setter.
    virtual bool IsWritable(int32_t id) const;
    // The field's kind; KindNone when there is no such field.
    virtual ValueKind GetFieldKind(int32_t id) const;
    // The display name; empty when there is no such field.
    virtual std::string GetFieldName(int32_t id) const;
    // The field's own format, or null (also when there is no such field).
    virtual const CFormat* GetFieldFormat(int32_t id) const;

    // ---- Typed getters (slots 10-22) ----
    // The getter's result when the field exists, has exactly this kind and a
    // getter; otherwise the type's zero (empty string, 0, false, 0.0).
    virtual CString GetCString(int32_t id) const; // kind 1
    virtual std::string GetStdString(int32_t id) const; // kind 2
    virtual int8_t GetChar(int32_t id) const; // kind 3
    virtual uint8_t GetUChar(int32_t id) const; // kind 4
    virtual int16_t GetShort(int32_t id) const; // kind 5
    virtual uint16_t GetUShort(int32_t id) const; // kind 6
    virtual int32_t GetLong(int32_t id) const; // kind 7
    virtual uint32_t GetULong(int32_t id) const; // kind 8
    virtual int64_t GetInt64(int32_t id) const; // kind 9
    virtual bool GetBool(int32_t id) const; // kind 10
    virtual float GetFloat(int32_t id) const; // kind 11
    virtual double GetDouble(int32_t id) const; // kind 12
    virtual OpaqueWord GetOpaque(int32_t id) const; // kind 13

    // ---- Slot 23 ----
    // A value of the field's kind holding the getter's result (the kind's
    // zero without a getter); kind 0 when there is no such field.
    virtual CFieldValue GetValue(int32_t id) const;

    // ---- Typed setters (slots 24-36) ----
    // Calls the setter and returns true when the field exists, has exactly
    // this kind and a setter; otherwise false and nothing is written.
    virtual bool SetCString(int32_t id, const CString& value); // kind 1
    virtual bool SetStdString(int32_t id, const std::string& value); // kind 2
    virtual bool SetChar(int32_t id, int8_t value); // kind 3
    virtual bool SetUChar(int32_t id, uint8_t value); // kind 4
    virtual bool SetShort(int32_t id, int16_t value); // kind 5
    virtual bool SetUShort(int32_t id, uint16_t value); // kind 6
    virtual bool SetLong(int32_t id, int32_t value); // kind 7
    virtual bool SetULong(int32_t id, uint32_t value); // kind 8
    virtual bool SetInt64(int32_t id, int64_t value); // kind 9
    virtual bool SetBool(int32_t id, bool value); // kind 10
    virtual bool SetFloat(int32_t id, float value); // kind 11
    virtual bool SetDouble(int32_t id, double value); // kind 12
    virtual bool SetOpaque(int32_t id, OpaqueWord value); // kind 13

    // ---- Slot 37 ----
    // False when there is no such field or it has no setter. Otherwise calls
    // the setter with the value's payload when the kinds agree, or with the
    // zero of the field's kind when they do not (no conversion, not even
    // between the two string kinds), and returns true.
    virtual bool SetValue(int32_t id, const CFieldValue& value);

    // ---- Text (slots 38-41) ----
    // The format is the one passed, else the field's own, else the default
    // format of the field's kind. Reads give the format's text of the
    // getter's result (empty without a field or a getter). Writes parse with
    // the format and call the setter: for a string field an unparsable text
    // is stored as it is; for any other kind it fails (false, nothing
    // written). Nothing is announced.
    virtual CString GetTextCString(int32_t id, const CFormat* format = nullptr) const;
    virtual bool SetText(int32_t id, const CString& text, const CFormat* format = nullptr); // parses with the format; framework string
    virtual std::string GetText(int32_t id, const CFormat* format = nullptr) const; // the format's text; standard string
    virtual bool SetText(int32_t id, const std::string& text, const CFormat* format = nullptr); // parses with the format; standard string

    // ---- Slots 42-44 ----
    // A shared empty string, for every class of this library.
    virtual const std::string& GetObjectText() const;
    // False, for every class of this library.
    virtual bool IsObjectFlagged() const;
    // Stores or restores all field values (the ids of GetFields and of
    // GetFieldIds). Layout: version 1 (int32), count (int32), then count
    // pairs of field id (int32) and CFieldValue, in ascending id order. Restore reads any version above 0 like version 1
    // (0 or less ends it), writes each value through SetValue and announces
    // nothing itself. A damaged stream raises SerializationException; the
    // values read before the failure stay and the object stays usable.
    virtual void Serialize(CSerializer& serializer);

    // ---- Subscribers ----
    // Appends sink. False, changing nothing, for a null sink, one already in
    // the list, or once the deletion has been announced.
    bool Subscribe(ISink* sink);
    // Removes sink, keeping the order of the rest. False if it was not there.
    bool Unsubscribe(ISink* sink);
    // Calls OnUpdate(id, this) on every subscriber, in subscription order, on
    // the calling thread, after copying the list under the lock; a single
    // subscriber is read without the lock. Allocates nothing while there are
    // at most kInlineNotifySinks subscribers.
    void NotifyUpdate(int32_t id);

    // Subscribers NotifyUpdate copies onto its own stack frame; beyond that
    // it copies them to the heap.
    static constexpr uint32_t kInlineNotifySinks = 8;

    // The number of subscribers (for tests).
    uint32_t GetSubscriberCountForTesting() const;

protected:
    CDataObject() = default;

    // Steps 1-3 of the destruction: takes the subscriber list under the lock
    // (leaving it empty and refusing later subscriptions), releases the lock
    // and calls OnDelete(this) on each former subscriber in order. Call it
    // first in the destructor of a class whose subscribers may read state it
    // owns. Idempotent: later calls find the list empty.
    void AnnounceDeletion() noexcept;

private:
    // The subscribers in subscription order, without duplicates, and the
    // closed flag set by AnnounceDeletion. One sink (the usual case: the
    // grid's dispatcher) lives inline; a second one moves them all to a heap
    // array, which is given back when the list shrinks to one again. The
    // heap array exists exactly while there are two sinks or more; its
    // capacity is not stored: it is at least the power of two at or above
    // the count, because it was sized so and the count only fell since.
    class CSinkList {
    public:
        CSinkList() noexcept = default;
        CSinkList(const CSinkList&) = delete;
        CSinkList& operator=(const CSinkList&) = delete;
        ~CSinkList() = default;

        uint32_t Size() const noexcept { return m_count; }
        ISink* const* Data() const noexcept { return m_heap ? m_heap.get() : &m_inline; }
        // The sink while it is the only one; null otherwise. Any thread,
        // without the lock: the inline slot holds a sink exactly while the
        // count is one, and is written atomically (SetInline).
        ISink* Single() const noexcept
        {
            return std::atomic_ref<ISink*>(const_cast<ISink*&>(m_inline)).load(std::memory_order_acquire);
        }
        bool Contains(const ISink* sink) const noexcept;
        // Slow path when the list leaves its inline slot or fills its heap
        // array: allocates.
        void Append(ISink* sink);
        bool Remove(const ISink* sink) noexcept;
        // Moves every sink into other (which must be empty) and leaves this
        // list empty; never allocates.
        void MoveTo(CSinkList& other) noexcept;

        bool IsClosed() const noexcept { return m_closed; }
        void Close() noexcept { m_closed = true; }

    private:
        void SetInline(ISink* sink) noexcept
        {
            std::atomic_ref<ISink*>(m_inline).store(sink, std::memory_order_release);
        }

        ISink* m_inline = nullptr;        // the sink while m_count == 1, else null (see Single)
        std::unique_ptr<ISink*[]> m_heap; // all sinks while m_count >= 2
        uint32_t m_count = 0;
        bool m_closed = false;
    };

    mutable CLock m_lock;
    CSinkList m_sinks; // Guarded by m_lock.
};

// Hundreds of thousands of rows derive from this class.
static_assert(sizeof(CDataObject) <= sizeof(void*) + sizeof(CLock) + 3 * sizeof(void*),
              "CDataObject is the per-row base: a table pointer, the lock and a three-word sink list");

} // namespace Brivel::Common
