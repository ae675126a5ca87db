"""Runs OpenSSH's sshd for one test: writes its host key, its configuration and its login
files into WORK, starts it in the foreground (sshd -D -e -f CONFIG) on a free port of
127.0.0.1 and ::1, and stops it when the test ends (its end of the standard input pipe
closes) or when this launcher is told to stop.

  sshd_server.py ROOT WORK [--authorized-key FILE]

The one user "watcher", password "secret", has ROOT as home and reaches only SFTP; FILE is
the public key it may also log in with. The host key is WORK/host_key (.pub beside it).
A second port greets as an SSH server would and then never says another word. Prints
"PORT <sshd> <stalled>".

sshd run by root needs /run/sshd, and the user must be in the password files: the server
gets a mount namespace of its own, where a private /run and copies of /etc/passwd,
/etc/shadow and /etc/group with the user added stand in; nothing outside WORK changes.
"""
import argparse
import ctypes
import os
import select
import signal
import socket
import subprocess
import sys
import threading
import time
import warnings

with warnings.catch_warnings():
    warnings.simplefilter("ignore", DeprecationWarning)
    import crypt

USER = "watcher"
UID = 65533
NOGROUP = 65534
START_SECONDS = 10
CLONE_NEWNS = 0x00020000
MS_BIND = 0x1000
MS_REC = 0x4000
MS_PRIVATE = 1 << 18


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


def copy_with(source, target, line):
    with open(source, encoding="utf-8") as original, open(target, "w", encoding="utf-8") as out:
        out.write(original.read() + line)
    os.chmod(target, 0o644)


def login_files(root, work):
    hashed = crypt.crypt("secret", crypt.mksalt(crypt.METHOD_SHA512))
    copy_with("/etc/passwd", os.path.join(work, "passwd"),
              "%s:x:%d:%d::%s:/bin/sh\n" % (USER, UID, NOGROUP, root))
    copy_with("/etc/shadow", os.path.join(work, "shadow"), "%s:%s:19000:0:99999:7:::\n" % (USER, hashed))
    os.chmod(os.path.join(work, "shadow"), 0o600)
    copy_with("/etc/group", os.path.join(work, "group"), "")


def configuration(work, port, authorized):
    conf = os.path.join(work, "sshd_config")
    with open(conf, "w", encoding="utf-8") as out:
        out.write(f"""Port {port}
ListenAddress 127.0.0.1
ListenAddress ::1
HostKey {work}/host_key
PidFile {work}/sshd.pid
AuthorizedKeysFile {authorized}
StrictModes no
UsePAM no
PasswordAuthentication yes
KbdInteractiveAuthentication no
PermitRootLogin no
AllowUsers {USER}
UseDNS no
LogLevel ERROR
Subsystem sftp internal-sftp
ForceCommand internal-sftp
""")
    return conf


def private_mounts(work):
    """In the server's own mount namespace: a private /run/sshd and the copied login files."""
    libc = ctypes.CDLL(None, use_errno=True)
    PR_SET_PDEATHSIG = 1
    libc.prctl(PR_SET_PDEATHSIG, signal.SIGTERM)
    steps = [lambda: libc.unshare(CLONE_NEWNS),
             lambda: libc.mount(b"none", b"/", None, MS_REC | MS_PRIVATE, None),
             lambda: libc.mount(b"none", b"/run", b"tmpfs", 0, None)]
    for step in steps:
        if step() != 0:
            os._exit(1)
    os.mkdir("/run/sshd", 0o755)
    for name in ("passwd", "shadow", "group"):
        source = os.path.join(work, name).encode()
        if libc.mount(source, b"/etc/" + name.encode(), None, MS_BIND, None) != 0:
            os._exit(1)


def stall(listener):
    """Greets every connection, then keeps it open and silent."""
    held = []
    while True:
        connection, _ = listener.accept()
        connection.sendall(b"SSH-2.0-OpenSSH_9.2 stalled\r\n")
        held.append(connection)


def accepts(port):
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=1):
            return True
    except OSError:
        return False


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("root")
    parser.add_argument("work")
    parser.add_argument("--authorized-key")
    args = parser.parse_args()

    root = os.path.realpath(args.root)
    work = os.path.realpath(args.work)
    # The user reads the files as another user than the test's.
    os.chmod(root, 0o755)
    subprocess.run(["ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f", work + "/host_key"],
                   check=True, stdin=subprocess.DEVNULL)
    # sshd reads the user's keys as that user: a copy it may read.
    os.chmod(work, 0o755)
    authorized = os.path.join(work, "authorized_keys")
    with open(authorized, "w", encoding="utf-8") as out:
        if args.authorized_key:
            with open(args.authorized_key, encoding="utf-8") as key:
                out.write(key.read())
    os.chmod(authorized, 0o644)
    login_files(root, work)
    port = free_port()
    conf = configuration(work, port, authorized)
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    threading.Thread(target=stall, args=(listener,), daemon=True).start()
    log = open(os.path.join(work, "sshd.out"), "w")
    server = subprocess.Popen(["/usr/sbin/sshd", "-D", "-e", "-f", conf],
                              stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                              preexec_fn=lambda: private_mounts(work))

    def stop():
        server.terminate()
        try:
            server.wait(5)
        except subprocess.TimeoutExpired:
            server.kill()
            server.wait()
        os._exit(0)

    asked = []
    signal.signal(signal.SIGTERM, lambda *_: asked.append(True))
    deadline = time.monotonic() + START_SECONDS
    while not accepts(port):
        if asked or server.poll() is not None or time.monotonic() > deadline:
            print("FAILED", flush=True)
            stop()
        time.sleep(0.02)
    print("PORT", port, listener.getsockname()[1], flush=True)
    while not asked and not input_ended():
        pass
    stop()


def input_ended():
    """Whether the test's end of the standard input has closed; waits a little for it."""
    readable, _, _ = select.select([sys.stdin.buffer], [], [], 0.1)
    return bool(readable) and not os.read(sys.stdin.fileno(), 4096)


if __name__ == "__main__":
    main()
