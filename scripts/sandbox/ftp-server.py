#!/usr/bin/env python3
# A private FTP server for tests and the demo: pyftpdlib on 127.0.0.1, a free port printed as the
# first line of its output. User "user", password "pass", home ROOT with every right; anonymous
# logins may read and write ROOT/incoming when that folder exists. With LOG, every command is
# logged there (EPSV before a passive transfer, EPRT or PORT before an active one). It ends itself
# after two minutes, should its caller die first.
#
#   ftp-server.py ROOT [LOG]
import logging, os, sys, threading
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

root = sys.argv[1]
if len(sys.argv) > 2:
    logging.basicConfig(filename=sys.argv[2], level=logging.DEBUG, format='%(message)s')
else:
    logging.disable(logging.CRITICAL)
watchdog = threading.Timer(120, lambda: os._exit(0))
watchdog.daemon = True
watchdog.start()

authorizer = DummyAuthorizer()
authorizer.add_user('user', 'pass', root, perm='elradfmwMT')
incoming = os.path.join(root, 'incoming')
if os.path.isdir(incoming):
    authorizer.add_anonymous(incoming, perm='elradfmw')
FTPHandler.authorizer = authorizer
FTPHandler.auth_failed_timeout = 0
server = FTPServer(('127.0.0.1', 0), FTPHandler)
print(server.address[1], flush=True)
server.serve_forever()
