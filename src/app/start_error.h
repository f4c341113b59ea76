#pragma once
// A reason why the program cannot start or finish its work (a database it cannot use, a company
// or language the database does not know, an image it cannot write). Caught by the launcher,
// which prints the message and ends with a non-zero exit code.

#include <QString>

#include <stdexcept>

namespace app {

class StartError : public std::runtime_error
{
public:
    explicit StartError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {}

    const QString &message() const { return m_message; }

private:
    QString m_message;
};

} // namespace app
