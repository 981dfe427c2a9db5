#pragma once
// CommonException: the base of the exceptions this library raises.
//
// Failures in this library are results (null, empty, false), not exceptions;
// only the serializer raises, and it raises classes derived from this one
// (CSerializer::SerializationException, CSerializer::BadVersionException).
// The one datum is the message, returned by what().
//
// Copying never throws: the message text is shared between copies, so an
// exception object can be copied while it propagates.
// Thread: any thread.

#include <exception>
#include <memory>
#include <string>

namespace Brivel::Common {

class CommonException : public std::exception {
public:
    // An exception whose what() is `message`.
    explicit CommonException(std::string message)
        : m_message(std::make_shared<const std::string>(std::move(message)))
    {
    }

    const char* what() const noexcept override { return m_message->c_str(); } // the message

private:
    std::shared_ptr<const std::string> m_message; // never null
};

} // namespace Brivel::Common
