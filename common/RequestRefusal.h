#pragma once

#include <cstdint>
#include <string>

namespace OM::Norvatessa
{

// Why a read or a write came to nothing although no exchange failed.
enum class RefusalReason
{
    UnknownController,  // no controller is known under the address (the table changed since)
    AddressTaken,       // the new address belongs to another known controller; nothing was sent
    TextNotCarried,     // a text the document cannot carry unchanged; nothing was sent
    TextNotInCodePage,  // a character the workstation's code page lacks; nothing was sent
    AnswerUnreadable,   // the answer is no settings document
    AnswerWithoutNet,   // the answer's document has no "net" element
    ChangeNotConfirmed, // the controller did not answer change="ok"
    OtherAddress,       // the document describes another address than the controller's
    ReconnectFailed,    // the write went through, but the controller cannot be reached anew
    InternalFailure,    // the program itself failed while it handled the request; `detail` says how
};

enum class RefusedOperation
{
    Read,
    Write,
};

// A read whose answer could not be used, or a write that was not made or not confirmed.
struct RequestRefusal
{
    std::uint32_t address = 0; // the controller the request was for
    RefusedOperation operation = RefusedOperation::Read;
    RefusalReason reason = RefusalReason::AnswerUnreadable;
    std::uint32_t httpStatus = 0; // the status of the answer in question, 0 when there was none
    std::wstring detail; // what the answer said instead ("OK"), the other address, or the program's failure
};

} // namespace OM::Norvatessa
