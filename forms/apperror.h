#pragma once

#include <QString>
#include <cstdint>
#include <exception>

// The one error type of the program: a failing operation raises it with a number and a
// description, and only the procedures with an error handler of their own (File > Open and the
// System Info launcher) catch it. Everything else reaches the default error report through the
// event guard (forms.h).
class AppError : public std::exception {
public:
    // Numbers of the errors the program raises itself.
    enum Number : int {
        Overflow = 6,
        BadFileName = 52,
        FileNotFound = 53,
        DeviceIoError = 57,
        PermissionDenied = 70,
        PathFileAccessError = 75,
        PathNotFound = 76,
        InvalidProcedureCall = 5,
        InvalidPropertyValue = 380,
        FileTooLarge = 31036,
        NotAFile = 31037,
        ClipboardError = 521,
        FloatingPointError = 16,
    };

    AppError(int number, QString description);

    int number() const noexcept { return m_number; }
    const QString& description() const noexcept { return m_description; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    int m_number;
    QString m_description;
    QByteArray m_what;
};

// Signed 32-bit arithmetic that raises Overflow instead of wrapping.
std::int32_t checkedAdd(std::int32_t a, std::int32_t b);
// Narrowing of a wider count (a QString size, say) to the program's 32-bit integers.
std::int32_t checkedInt32(std::int64_t value);
