#!/usr/bin/python3
"""A file server on 127.0.0.1 for the publishing tests: FTP, FTPS (AUTH TLS),
SFTP or WebDAV over https, serving --root. Prints "READY <port> <fingerprint>"
once it listens (the fingerprint of its host key or certificate key, as the
program shows it) and ends when its standard input closes or on SIGTERM.
Exits with 77 when the package it needs is missing."""

import argparse
import base64
import hashlib
import os
import shutil
import signal
import socket
import subprocess
import sys
import threading
import time

SKIP = 77


def parse():
    p = argparse.ArgumentParser()
    p.add_argument("kind", choices=["ftp", "ftps", "sftp", "dav"])
    p.add_argument("--root", required=True)
    p.add_argument("--state", required=True, help="keys, certificates and server files, kept across restarts")
    p.add_argument("--user", default="club")
    p.add_argument("--password", default="geheim")
    p.add_argument("--port", type=int, default=0)
    p.add_argument("--delay", type=int, default=0, help="milliseconds before each FTP reply")
    return p.parse_args()


def ready(port, fingerprint=""):
    print(f"READY {port} {fingerprint}", flush=True)


def end_with_stdin(cleanup=None):
    def watch():
        sys.stdin.read()
        if cleanup:
            cleanup()
        os._exit(0)

    threading.Thread(target=watch, daemon=True).start()

    def term(*_):
        if cleanup:
            cleanup()
        os._exit(0)

    signal.signal(signal.SIGTERM, term)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def certificates(state):
    """A test CA and a server certificate for 127.0.0.1 signed by it."""
    ca_key, ca, key, cert = (os.path.join(state, n) for n in ("ca.key", "ca.pem", "server.key", "server.pem"))
    if not os.path.exists(cert):
        run = lambda *a: subprocess.run(a, check=True, capture_output=True)
        run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=Test-CA",
            "-keyout", ca_key, "-out", ca)
        csr = os.path.join(state, "server.csr")
        run("openssl", "req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=127.0.0.1", "-keyout", key, "-out", csr)
        ext = os.path.join(state, "ext.cnf")
        with open(ext, "w") as f:
            f.write("subjectAltName=IP:127.0.0.1\n")
        run("openssl", "x509", "-req", "-in", csr, "-CA", ca, "-CAkey", ca_key, "-CAcreateserial", "-days", "2",
            "-extfile", ext, "-out", cert)
    pub = subprocess.run(["openssl", "x509", "-in", cert, "-pubkey", "-noout"], check=True, capture_output=True).stdout
    der = subprocess.run(["openssl", "pkey", "-pubin", "-outform", "der"], input=pub, check=True,
                         capture_output=True).stdout
    return key, cert, "sha256//" + base64.b64encode(hashlib.sha256(der).digest()).decode()


def serve_ftp(a):
    try:
        from pyftpdlib.authorizers import DummyAuthorizer
        from pyftpdlib.handlers import FTPHandler, TLS_FTPHandler
        from pyftpdlib.servers import FTPServer
        import logging
        logging.basicConfig(level=logging.ERROR)
        logging.getLogger("pyftpdlib").setLevel(logging.ERROR)
    except ImportError:
        sys.exit(SKIP)
    auth = DummyAuthorizer()
    auth.add_user(a.user, a.password, a.root, perm="elradfmwMT")
    base = FTPHandler
    fingerprint = ""
    if a.kind == "ftps":
        try:
            import OpenSSL  # noqa: F401  pyftpdlib's TLS needs it
        except ImportError:
            sys.exit(SKIP)
        key, cert, fingerprint = certificates(a.state)
        base = TLS_FTPHandler
        base.certfile = cert
        base.keyfile = key
        base.tls_control_required = True
        base.tls_data_required = True
        # The data connection resumes the control connection's session, as
        # most servers ask; OpenSSL needs a session id context for that.
        base.ssl_context = base.get_ssl_context()
        base.ssl_context.set_session_id(b"vexilor-test")
        # pyftpdlib loses a data connection's last records when a TLS 1.3
        # client closes it at once.
        from OpenSSL import SSL
        base.ssl_context.set_max_proto_version(SSL.TLS1_2_VERSION)

        class DataHandler(base.dtp_handler):
            # curl starts the data connection's handshake before it sends
            # STOR; the stock handler takes that for a hang-up.
            def readable(self):
                return True if self._ssl_accepting else super().readable()

        base.dtp_handler = DataHandler
    delay = a.delay / 1000.0

    class Handler(base):
        def pre_process_command(self, line, cmd, arg):
            if delay:
                time.sleep(delay)
            return super().pre_process_command(line, cmd, arg)

    Handler.authorizer = auth
    server = FTPServer(("127.0.0.1", a.port), Handler)
    end_with_stdin()
    ready(server.address[1], fingerprint)
    server.serve_forever(handle_exit=False)


def serve_sftp(a):
    try:
        import asyncio
        import asyncssh
    except ImportError:
        sys.exit(SKIP)
    key_file = os.path.join(a.state, "ssh_host_ed25519_key")
    if not os.path.exists(key_file):
        asyncssh.generate_private_key("ssh-ed25519").write_private_key(key_file)
    key = asyncssh.read_private_key(key_file)

    class Server(asyncssh.SSHServer):
        def begin_auth(self, username):
            return True

        def password_auth_supported(self):
            return True

        def validate_password(self, username, password):
            return username == a.user and password == a.password

    async def main():
        server = await asyncssh.create_server(
            Server, "127.0.0.1", a.port, server_host_keys=[key],
            sftp_factory=lambda chan: asyncssh.SFTPServer(chan, chroot=a.root.encode()))
        port = server.sockets[0].getsockname()[1]
        end_with_stdin()
        ready(port, key.get_fingerprint("sha256"))
        await asyncio.Event().wait()

    asyncio.run(main())


def serve_dav(a):
    apache = shutil.which("apache2") or "/usr/sbin/apache2"
    modules = "/usr/lib/apache2/modules"
    if not os.path.exists(apache) or not os.path.exists(os.path.join(modules, "mod_dav_fs.so")):
        sys.exit(SKIP)
    key, cert, fingerprint = certificates(a.state)
    port = a.port or free_port()
    conf_dir = os.path.join(a.state, "apache")
    os.makedirs(os.path.join(conf_dir, "lock"), exist_ok=True)
    with open(os.path.join(conf_dir, "htpasswd"), "w") as f:
        f.write(f"{a.user}:{{SHA}}{base64.b64encode(hashlib.sha1(a.password.encode()).digest()).decode()}\n")
    user = ""
    if os.geteuid() == 0:
        # As root Apache serves as another user, who must be able to write.
        user = "User nobody\nGroup nogroup\n"
        # ...and reach the folders through the test's own temporary ones.
        for d in (a.root, conf_dir):
            d = os.path.dirname(os.path.abspath(d))
            while d != "/":
                os.chmod(d, os.stat(d).st_mode | 0o001)
                d = os.path.dirname(d)
        for d in (a.root, os.path.join(conf_dir, "lock")):
            for base, dirs, files in os.walk(d):
                for n in [base] + [os.path.join(base, x) for x in dirs + files]:
                    shutil.chown(n, "nobody", "nogroup")
    load = "".join(f"LoadModule {m}_module {modules}/mod_{m}.so\n" for m in (
        "mpm_prefork", "authz_core", "authn_core", "authn_file", "auth_basic", "authz_user", "dav", "dav_fs", "ssl"
        ))
    conf = os.path.join(conf_dir, "httpd.conf")
    with open(conf, "w") as f:
        f.write(f"""{load}ServerRoot "{conf_dir}"
ServerName 127.0.0.1
Listen 127.0.0.1:{port}
PidFile "{conf_dir}/httpd.pid"
ErrorLog "{conf_dir}/error.log"
{user}DavLockDB "{conf_dir}/lock/DavLock"
DocumentRoot "{a.root}"
SSLEngine on
SSLCertificateFile "{cert}"
SSLCertificateKeyFile "{key}"
<Directory "{a.root}">
  Dav On
  AuthType Basic
  AuthName "Vexilor-Test"
  AuthUserFile "{conf_dir}/htpasswd"
  Require valid-user
</Directory>
""")
    proc = subprocess.Popen([apache, "-f", conf, "-X"], stdin=subprocess.DEVNULL)
    end_with_stdin(lambda: (proc.terminate(), proc.wait()))
    for _ in range(100):
        try:
            socket.create_connection(("127.0.0.1", port), timeout=0.2).close()
            break
        except OSError:
            if proc.poll() is not None:
                sys.stderr.write(open(os.path.join(conf_dir, "error.log")).read())
                sys.exit(1)
            time.sleep(0.1)
    ready(port, fingerprint)
    proc.wait()


if __name__ == "__main__":
    args = parse()
    os.makedirs(args.state, exist_ok=True)
    {"ftp": serve_ftp, "ftps": serve_ftp, "sftp": serve_sftp, "dav": serve_dav}[args.kind](args)
