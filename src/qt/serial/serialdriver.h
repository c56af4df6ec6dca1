#pragma once

#include <QSerialPort>
#include <QString>
#include <utility>

#include "common/result.h"

// What QSerialPort does not say about a port: the bytes its driver still holds, whether the device hung
// up, why an opening was refused. One implementation per platform, chosen by the build
// (serialdriver_unix.cpp); a port to another system adds its own file.
namespace veltara::qt::driver {

using Handle = decltype(std::declval<QSerialPort&>().handle());

enum class Direction { Receive, Transmit };

// Bytes the driver holds in one direction, including a transmitter still shifting one out; the system's
// error when the device no longer answers (a hang-up reads as an I/O error).
core::Result<int> queued(Handle handle, Direction direction);

// The device hung up or reported an error condition; a read that ends so sets no errno of its own.
bool hungUp(Handle handle);

// The driver takes more bytes now without blocking.
bool writable(Handle handle);

// Qt says "permission" both for the device's access rights and for a port another program holds (its
// lock file, or exclusive use); this tells the two apart.
core::Error permissionFailure(const QString& device);

}  // namespace veltara::qt::driver
