"""Runs a Debian server package (proftpd, nginx, lighttpd) for one test: writes its
configuration into WORK, starts it in the foreground on a free port of 127.0.0.1 and ::1,
prints "PORT <n>" once it accepts connections, and stops it when the test ends (its end of
the standard input pipe closes) or when this launcher is told to stop.

  .../proftpd ROOT WORK [--deny "CMD ..."]... [--facts "FACT ..."]
                      [--tls explicit|implicit --cert FILE --key FILE]
                          user "user", password "secret", chrooted in ROOT, read-only;
                          each --deny refuses those commands to all; --facts names the
                          only facts of machine listings; --tls explicit demands AUTH TLS
                          before the login, --tls implicit speaks TLS from the first byte
  .../nginx ROOT WORK [--cert FILE --key FILE]
                          /files/NAME (Last-Modified), /nolm/NAME (none), /chunked/NAME
                          (chunked, Last-Modified), /redirect/NAME (302 to /files/NAME),
                          /error/500 (status 500); with a certificate, the same over TLS on
                          a second port, printed after the first, and /tohttps/NAME and
                          /tohttp/NAME redirect to /files/NAME of the other port
  .../lighttpd ROOT WORK  /files/NAME (Last-Modified), /nolm/NAME (none), /redirect/NAME
                          (302 to /files/NAME)
"""
import argparse
import ctypes
import os
import select
import signal
import socket
import subprocess
import sys
import time
import warnings

with warnings.catch_warnings():
    warnings.simplefilter("ignore", DeprecationWarning)
    import crypt

NOBODY = 65534
START_SECONDS = 10


def free_port():
    """A port free on both 127.0.0.1 and ::1 at the time of asking."""
    while True:
        with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as probe:
            probe.bind(("127.0.0.1", 0))
            port = probe.getsockname()[1]
        try:
            with socket.socket(socket.AF_INET6, socket.SOCK_STREAM) as probe6:
                probe6.bind(("::1", port))
            return port
        except OSError:
            continue


def write(path, text, mode=0o644, owner=None):
    with open(path, "w", encoding="utf-8") as out:
        out.write(text)
    os.chmod(path, mode)
    if owner is not None:
        os.chown(path, owner, owner)


def proftpd_tls(work, mode, certificate, key):
    """mod_tls from Debian's proftpd-mod-crypto: TLS on control and data, required."""
    implicit = "TLSOptions UseImplicitSSL NoSessionReuseRequired" if mode == "implicit" \
        else "TLSOptions NoSessionReuseRequired"
    return f"""ModulePath /usr/lib/proftpd
LoadModule mod_tls.c
TLSEngine on
TLSLog {work}/tls.log
TLSProtocol TLSv1.2 TLSv1.3
TLSECCertificateFile {certificate}
TLSECCertificateKeyFile {key}
TLSVerifyClient off
TLSRequired on
{implicit}
"""


def proftpd(program, root, work, port, denials, facts, tls):
    hashed = crypt.crypt("secret", crypt.mksalt(crypt.METHOD_SHA512))
    # The login files belong to the user proftpd runs as and only it may read them.
    write(os.path.join(work, "passwd"),
          "user:%s:%d:%d::%s:/bin/false\n" % (hashed, NOBODY, NOBODY, root), 0o600, NOBODY)
    write(os.path.join(work, "group"), "nogroup:x:%d:\n" % NOBODY, 0o600, NOBODY)
    limits = "".join("<Limit %s>\n  DenyAll\n</Limit>\n" % commands for commands in denials)
    if facts:
        limits += "FactsDefault %s\n" % facts
    if tls:
        limits += proftpd_tls(work, *tls)
    conf = os.path.join(work, "proftpd.conf")
    write(conf, f"""ServerType standalone
ServerName "test"
DefaultServer on
UseIPv6 on
DefaultAddress 127.0.0.1 ::1
Port {port}
User nobody
Group nogroup
PidFile {work}/proftpd.pid
ScoreboardFile {work}/proftpd.scoreboard
DelayTable {work}/proftpd.delay
DelayEngine off
SystemLog {work}/proftpd.log
# Logins are counted from this log.
ExtendedLog {work}/logins.log AUTH
TransferLog none
WtmpLog off
UseReverseDNS off
AuthOrder mod_auth_file.c
AuthUserFile {work}/passwd
AuthGroupFile {work}/group
RequireValidShell off
DefaultRoot ~
MaxInstances 20
<Limit WRITE>
  DenyAll
</Limit>
{limits}""")
    return [program, "-n", "-q", "-c", conf]


def nginx_locations(root):
    return f"""    location /files/ {{ alias {root}/; }}
    # An empty value takes the header out of the answer.
    location /nolm/ {{ alias {root}/; add_header Last-Modified ""; }}
    # Server-side includes take Content-Length away, so the answer goes in chunks.
    location /chunked/ {{ alias {root}/; ssi on; ssi_types *; ssi_last_modified on; }}
    location /redirect/ {{ rewrite ^/redirect/(.*)$ /files/$1 redirect; }}
    location = /error/500 {{ return 500; }}
"""


def nginx_tls_server(root, port, tls_port, certificate, key):
    return f"""  server {{
    listen 127.0.0.1:{tls_port} ssl;
    listen [::1]:{tls_port} ssl;
    ssl_certificate {certificate};
    ssl_certificate_key {key};
{nginx_locations(root)}    location /tohttp/ {{ rewrite ^/tohttp/(.*)$ http://127.0.0.1:{port}/files/$1 redirect; }}
  }}
"""


def nginx(program, root, work, port, tls_port, certificate, key):
    for folder in ("body", "proxy", "fastcgi", "uwsgi", "scgi"):
        os.makedirs(os.path.join(work, folder), exist_ok=True)
    conf = os.path.join(work, "nginx.conf")
    write(conf, f"""daemon off;
master_process off;
worker_processes 1;
pid {work}/nginx.pid;
error_log {work}/nginx-error.log;
events {{ worker_connections 64; }}
http {{
  access_log off;
  client_body_temp_path {work}/body;
  proxy_temp_path {work}/proxy;
  fastcgi_temp_path {work}/fastcgi;
  uwsgi_temp_path {work}/uwsgi;
  scgi_temp_path {work}/scgi;
  default_type application/octet-stream;
  server {{
    listen 127.0.0.1:{port};
    listen [::1]:{port};
{nginx_locations(root)}    location /tohttps/ {{ rewrite ^/tohttps/(.*)$ https://127.0.0.1:{tls_port}/files/$1 redirect; }}
  }}
{nginx_tls_server(root, port, tls_port, certificate, key) if certificate else ""}}}
""")
    return [program, "-p", work + "/", "-e", work + "/nginx-error.log", "-c", conf]


def lighttpd(program, root, work, port):
    conf = os.path.join(work, "lighttpd.conf")
    write(conf, f"""server.document-root = "{root}"
server.bind = "127.0.0.1"
server.port = {port}
$SERVER["socket"] == "[::1]:{port}" {{ }}
server.errorlog = "{work}/lighttpd-error.log"
server.upload-dirs = ("{work}")
server.modules = ("mod_alias", "mod_redirect")
alias.url = ("/files/" => "{root}/", "/nolm/" => "{root}/")
url.redirect = ("^/redirect/(.*)$" => "/files/$1")
url.redirect-code = 302
# lighttpd sends neither ETag nor Last-Modified for a file whose type it does not know:
# every name gets a type here, and none under /nolm/.
mimetype.assign = ("" => "application/octet-stream")
$HTTP["url"] =~ "^/nolm/" {{ mimetype.assign = ("" => "") }}
""")
    return [program, "-D", "-f", conf]


def die_with_launcher():
    """The server ends when this launcher ends, however it ends."""
    PR_SET_PDEATHSIG = 1
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGTERM)


def accepts(port):
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=1):
            return True
    except OSError:
        return False


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("root")
    parser.add_argument("work")
    parser.add_argument("--deny", action="append", default=[])
    parser.add_argument("--facts")
    parser.add_argument("--tls", choices=("explicit", "implicit"))
    parser.add_argument("--cert")
    parser.add_argument("--key")
    args = parser.parse_args()

    root = os.path.realpath(args.root)
    work = os.path.realpath(args.work)
    # The servers read the files as another user.
    os.chmod(root, 0o755)
    port = free_port()
    ports = [port]
    kind = os.path.basename(args.program)
    if kind == "proftpd":
        tls = (args.tls, args.cert, args.key) if args.tls else None
        command = proftpd(args.program, root, work, port, args.deny, args.facts, tls)
    elif kind == "lighttpd":
        command = lighttpd(args.program, root, work, port)
    else:
        if args.cert:
            ports.append(free_port())
        command = nginx(args.program, root, work, port, ports[-1], args.cert, args.key)
    log = open(os.path.join(work, kind + ".out"), "w")
    server = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                              preexec_fn=die_with_launcher)

    def stop():
        server.terminate()
        try:
            server.wait(5)
        except subprocess.TimeoutExpired:
            server.kill()
            server.wait()
        os._exit(0)

    # SIGTERM only asks for the stop: run as a signal handler, the stop could interrupt
    # this process's own wait for the server inside its lock, and wait on it forever.
    asked = []
    signal.signal(signal.SIGTERM, lambda *_: asked.append(True))
    deadline = time.monotonic() + START_SECONDS
    while not all(accepts(each) for each in ports):
        if asked or server.poll() is not None or time.monotonic() > deadline:
            print("FAILED", flush=True)
            stop()
        time.sleep(0.02)
    print("PORT", *ports, flush=True)
    while not asked and not input_ended():
        pass
    stop()


def input_ended():
    """Whether the test's end of the standard input has closed; waits a little for it."""
    readable, _, _ = select.select([sys.stdin.buffer], [], [], 0.1)
    return bool(readable) and not os.read(sys.stdin.fileno(), 4096)

if __name__ == "__main__":
    main()
