#pragma once

#include "helpers/UniqueHandle.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

namespace OM::Norvatessa::Testing
{

// Plays the user in front of the system's credentials dialog: a thread of its own waits for the dialog
// to appear in this process, fills in the login and the password and confirms it, `times` times over;
// or cancels it. The dialog runs on the worker thread that asked for credentials.
class CredentialsDialogAnswerer
{
public:
    enum class Action
    {
        Confirm,
        Cancel,
    };

    CredentialsDialogAnswerer(Action action, std::wstring login, std::wstring password, int times = 1);
    ~CredentialsDialogAnswerer();
    CredentialsDialogAnswerer(const CredentialsDialogAnswerer&) = delete;
    CredentialsDialogAnswerer& operator=(const CredentialsDialogAnswerer&) = delete;

    // How many dialogs it answered.
    int Answered() const { return answered; }

private:
    void Answer();

    Action action;
    std::wstring login;
    std::wstring password;
    int times;
    std::atomic<int> answered{0};
    Helpers::UniqueHandle done{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::thread thread;
};

} // namespace OM::Norvatessa::Testing
