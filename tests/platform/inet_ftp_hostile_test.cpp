// An FTP server that announces a file of 99999999999999999999 bytes and then sends for ever: the
// download is refused as soon as the size is announced, as an HTTP body of such a length is,
// instead of running to the transfer deadline. The server is a few lines of Python made here.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "inet_test_servers.h"
#include "platform/inet/wininet.h"
#include "platform/kernel/last_error.h"
#include "support/required_tool.h"

namespace {

using namespace vx;
namespace fs = vxtest::fs;

// Answers a login and a passive download, then streams zeros until the client leaves. With
// "size" the answer to SIZE names the absurd length; with "open" only the opening reply does.
const char* kHostileFtpServer = R"PY(
import os, socket, sys, threading
threading.Timer(60, lambda: os._exit(0)).start()
announce = sys.argv[1]
huge = '99999999999999999999'
control = socket.socket()
control.bind(('127.0.0.1', 0))
control.listen(1)
print(control.getsockname()[1], flush=True)
while True:
    client, _ = control.accept()
    data = socket.socket()
    data.bind(('127.0.0.1', 0))
    data.listen(1)
    port = data.getsockname()[1]
    replies = client.makefile('rwb', buffering=0)
    replies.write(b'220 hostile\r\n')
    try:
        for line in replies:
            verb = line.decode().strip().split(' ')[0].upper()
            answer = {'USER': '331 go on', 'PASS': '230 in', 'PWD': '257 "/"', 'TYPE': '200 ok',
                      'EPSV': '229 (|||%d|)' % port, 'PASV': '227 (127,0,0,1,%d,%d)' % (port >> 8, port & 255),
                      'SIZE': '213 ' + huge if announce == 'size' else '502 no size',
                      'QUIT': '221 bye'}.get(verb, '502 no')
            if verb == 'RETR':
                replies.write(('150 Opening BINARY mode data connection (%s bytes)\r\n' % huge).encode())
                stream, _ = data.accept()
                try:
                    while True:
                        stream.sendall(bytes(65536))
                except OSError:
                    stream.close()
                continue
            replies.write((answer + '\r\n').encode())
    except OSError:
        pass
    client.close()
)PY";

TEST(InetFtpHostile, AnAbsurdAnnouncedSizeIsRefusedAtOnce) {
  vxtest::TempFolder folder;
  const fs::path script = folder.path() / "hostile_ftp.py";
  vxtest::WriteFile(script, kHostileFtpServer);
  HINTERNET session = InternetOpen("vexiro", INTERNET_OPEN_TYPE_DIRECT, "", "", 0);
  ASSERT_NE(session, 0u);
  for (const char* announce : {"size", "open"}) {
    SCOPED_TRACE(announce);
    vxtest::ServerProcess server({vxtest::kPython, script.string(), announce});
    VX_REQUIRE(server.port() != 0, "the hostile FTP test server (python3)", "python3");
    HINTERNET connection =
        InternetConnect(session, "127.0.0.1", server.port(), "user", "pass", INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0);
    ASSERT_NE(connection, 0u) << GetLastError();
    const fs::path local = folder.path() / "endless.bin";
    EXPECT_FALSE(FtpGetFile(connection, "endless.bin", local.string(), FALSE_, 0, FTP_TRANSFER_TYPE_BINARY, 0));
    // Refused for its size, not ended by the transfer deadline or the server giving up.
    EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_FALSE(fs::exists(local));
    InternetCloseHandle(connection);
  }
  InternetCloseHandle(session);
}

}  // namespace
