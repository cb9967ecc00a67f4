// The request loop of one connection.
#pragma once

#include "codes.hpp"

extern int swaprequest;  // 1 once the client has shown the opposite byte order

// Serves the connected socket fd until the connection ends. Returns only
// when the client closes it before sending its opening message; every other
// ending ends the process with its status.
void ServicePeer(int fd, const CodeTable& table = DefaultCodeTable());

// Executes one request in host order and fills reply, which it returns. A
// code the table has no operation for ends the process with status 1.
PeerReply& ProcessRequest(int fd, PeerRequest& request, PeerReply& reply,
                          const CodeTable& table = DefaultCodeTable());

// Converts the reply to the client's order if needed and writes its length
// in bytes (nothing for length 0). False when it could not all be written.
// Operations that answer from a process of their own use it too.
bool WriteReply(int fd, PeerReply& reply, const CodeTable& table = DefaultCodeTable());

// The connection request, which teaches the loop the client's byte order.
OperationFamily ConnectionOperations();
