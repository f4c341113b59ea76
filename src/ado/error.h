#pragma once
// Run-time errors and the ways the module traps them.
//
// A run-time error carries a number, a description and a source, like VB's Err object.
// Private routines pass an error up with their name in front of its source (passUp);
// event handlers run their body as a list of steps and ask a reporter what to do on an error
// (runSteps: 3 abort, 4 retry the failing step, 5 go on with the next step); a few routines
// ignore errors statement by statement (ignoreErrors).

#include <QString>

#include <exception>
#include <functional>
#include <initializer_list>
#include <string>

namespace ado {

class RuntimeError : public std::exception
{
public:
    RuntimeError(long number, QString description, QString source = {});

    long number() const { return m_number; }
    const QString &description() const { return m_description; }
    const QString &source() const { return m_source; }
    void setSource(const QString &source) { m_source = source; }

    const char *what() const noexcept override;

private:
    long m_number;
    QString m_description;
    QString m_source;
    mutable std::string m_what;
};

[[noreturn]] void raise(long number, const QString &description, const QString &source = {});

// Source of an error passed up by routine `name`: "name:" CR LF previous source.
QString chainSource(const QString &name, const QString &previousSource);

// Runs body; a RuntimeError escaping it is raised again with the same number and description
// and the source chainSource(name, source). Other exceptions become error 5 first.
template<typename F>
auto passUp(const QString &name, F &&body) -> decltype(body())
{
    try {
        return body();
    } catch (RuntimeError &e) {
        e.setSource(chainSource(name, e.source()));
        throw;
    } catch (const std::exception &e) {
        throw RuntimeError(5, QString::fromUtf8(e.what()), chainSource(name, QString()));
    }
}

// Answers of the abort/retry/ignore error dialog.
enum ErrorAnswer : int { AnswerAbort = 3, AnswerRetry = 4, AnswerIgnore = 5 };

// Called with the error that stopped a step; answers 3, 4 or 5 (anything else counts as 3).
using ErrorReporter = std::function<int(const RuntimeError &)>;
using Step = std::function<void()>;

// Runs the steps in order. On an error the reporter decides: 4 runs the failing step again,
// 5 goes on with the next step, 3 leaves. Returns true when every step was run to the end
// (including steps skipped with 5), false when the handler was left with 3.
bool runSteps(const ErrorReporter &report, std::initializer_list<Step> steps);

// Runs every statement, swallowing any error it raises ("On Error Resume Next").
void ignoreErrors(std::initializer_list<Step> statements);

} // namespace ado
