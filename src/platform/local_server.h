#pragma once
// A server that one user's programs share on this machine, reached through a socket in the
// abstract namespace: no file is left behind, and the name goes away with the server. Each end
// checks that the other runs as the same user, so nobody else can answer or ask.

#include <functional>
#include <string>

#include "platform/process.h"

namespace quillon::platform {

// The socket name of this user's server program `program` for `purpose`. It changes with the
// program file, so a rebuilt or upgraded program never talks to a server of the old one.
// Empty when the environment has QUILLON_NO_SHARED_SERVER set: every program keeps its own.
std::string LocalServerName(const std::string& program, const std::string& purpose);

struct LocalConnection {
    PipeHandle output;      // what the server says
    InputPipeHandle input;  // what this program says
};

enum class ConnectResult { Connected, NoServer, OtherUser, Failed };
ConnectResult ConnectLocalServer(const std::string& name, LocalConnection& connection);

// What a server's process for one connection tells the watch over that connection: while it
// works on a request, the other end going away ends the process at once (a read that never
// returns included); between requests it only ends the connection.
class ConnectionGuard {
public:
    // Call once a request is read; false when the other end has gone (drop the request).
    virtual bool BeginWork() = 0;
    virtual void EndWork() = 0;

protected:
    ~ConnectionGuard() = default;
};

class LocalListener {
public:
    LocalListener() = default;
    ~LocalListener();
    LocalListener(const LocalListener&) = delete;
    LocalListener& operator=(const LocalListener&) = delete;

    enum class Result { Listening, Taken, Failed };
    // Taken: a server of that name is up already.
    Result Listen(const std::string& name);

    // Serves connections until none has been open for `idleMs`, in child processes: one waits
    // for the next connection at all times, and each serves one connection at a time, with
    // the connection as its standard input and error, through `serve`. A child that served a
    // connection to its end waits for another one (its libraries and memory warm); one whose
    // other end went away in the middle of a request ends at once, so a program that stops
    // asking leaves nothing running here.
    int ServeConnections(int idleMs, const std::function<void(ConnectionGuard&)>& serve);

private:
    int fd_ = -1;
};

// Leaves the program that started this one: the parent exits with status 0 at once, telling
// its starter that the server listens; the child goes on in a session of its own with its
// standard streams on /dev/null. False when it could not (still attached then).
bool DetachAsServer();

}  // namespace quillon::platform
