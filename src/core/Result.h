#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>
#include <utility>

namespace tamvel {

// Why an operation could not be done, in Czech as the user is told. Converts to a failed
// Result of any kind: `return Failure{text};`.
struct Failure
{
    QString text;
};

// The value an operation gives, or why it gave none (std::expected, which C++17 lacks).
template <class T> class [[nodiscard]] Result
{
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(Failure failure) : m_error(std::move(failure.text)) {}

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }

    // Only after ok().
    T &value()
    {
        Q_ASSERT(ok());
        return *m_value;
    }
    const T &value() const
    {
        Q_ASSERT(ok());
        return *m_value;
    }
    T &operator*() { return value(); }
    const T &operator*() const { return value(); }
    T *operator->() { return &value(); }
    const T *operator->() const { return &value(); }

    // Empty when ok().
    const QString &error() const { return m_error; }

private:
    std::optional<T> m_value;
    QString m_error;
};

// An operation that gives nothing but may fail: `return {};` is success.
template <> class [[nodiscard]] Result<void>
{
public:
    Result() = default;
    Result(Failure failure) : m_failed(true), m_error(std::move(failure.text)) {}

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const QString &error() const { return m_error; }

private:
    bool m_failed = false;
    QString m_error;
};

} // namespace tamvel
