#pragma once

#include "link/d2xx/Driver.h"

#include <QString>

namespace brivo {

class D2xx;

// The cause of a failed open(2) or libusb open by its errno.
OpenCause openCauseOfErrno(int error);

// What the user reads when an open failed: the cause and what to do about
// it. Empty when the cause is unknown (the device layer's status text is
// all there is to say then) or when the open succeeded.
QString openFailureMessage(const OpenFailure& failure);

// The message for the last FT_OpenEx of `d2xx`: what the Connect path shows
// after the device layer's own report of a failed open.
QString whyOpenFailed(const D2xx& d2xx);

} // namespace brivo
