#!/usr/bin/python3
"""Tests of the Debian package made from the build tree.

usage: package_test.py build|contents|run BUILD_FOLDER VERSION

build:    makes the package with CPack into BUILD_FOLDER/package-test.
contents: the package holds what a desktop needs where Debian puts it, its dependencies
          come from the binaries, and desktop-file-validate, appstreamcli and lintian
          find nothing wrong.
run:      the package unpacked (dpkg -x) in a temporary root is laid over /usr in a private
          mount namespace, so the program runs as /usr/bin/morvane without anything being
          installed: its window opens on Xvfb, its settings and list are those of the XDG
          folders, and nothing is written into /usr although root could.

Exit status: 0 passed, 1 failed, 77 skipped (a program the scenario needs is missing).
"""

import glob
import json
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from xsession import (SKIP, Failure, XSession, check, missing_programs,  # noqa: E402
                      wait_exit)

APP_ID = "org.example.morvane"
TIME_LIMIT = 90
ICON_SIZES = (16, 32, 48, 64, 128, 256)
EXPECTED_FILES = [
    "usr/bin/morvane", "usr/bin/mvntool",
    "usr/share/morvane/help/Morvane_ketrin.html",
    "usr/share/morvane/help/Morvane_ketrin_us.html",
    f"usr/share/applications/{APP_ID}.desktop",
    f"usr/share/icons/hicolor/scalable/apps/{APP_ID}.svg",
    *[f"usr/share/icons/hicolor/{n}x{n}/apps/{APP_ID}.png" for n in ICON_SIZES],
    f"usr/share/metainfo/{APP_ID}.metainfo.xml",
    "usr/share/man/man1/morvane.1.gz", "usr/share/man/man1/mvntool.1.gz",
    "usr/share/doc/morvane/copyright", "usr/share/doc/morvane/changelog.gz",
]
# Libraries the binaries link: each must come with the version dpkg-shlibdeps found.
LINKED_LIBRARIES = ["libc6", "libcurl4", "libqt6core6", "libqt6dbus6", "libqt6gui6",
                    "libqt6network6", "libqt6widgets6", "libstdc++6"]
# Lintian's remarks that stay, each explained in the README's package section.
ACCEPTED_LINTIAN = {
    # The manuals are read by the program's help viewer, not by the user from doc.
    "package-contains-documentation-outside-usr-share-doc",
    # French and English messages of the catalogue, kept byte for byte.
    "spelling-error-in-binary",
    # CPack strips with plain strip, which keeps the compiler's few bytes of identification.
    "binary-has-unneeded-section",
    # This build tree lacks Debian's hardening flags, which scripts/package.sh adds.
    "hardening-no-bindnow", "hardening-no-fortify-functions",
}
ELEMENTS = [{"m_strDescription": "Project report", "m_strCopy": "/nonexistent/report.txt",
             "m_nCheckMode": 2, "m_nWhen": 2}]


def run(*args, **kwargs):
    return subprocess.run(args, capture_output=True, text=True, timeout=240, **kwargs)


def package_folder(build):
    return os.path.join(build, "package-test")


def the_package(build):
    found = glob.glob(os.path.join(package_folder(build), "morvane_*.deb"))
    check(len(found) == 1, f"expected one package in {package_folder(build)}, found {found}")
    return found[0]


def scenario_build(build, _version, _folder):
    shutil.rmtree(package_folder(build), ignore_errors=True)
    result = run("cpack", "--config", os.path.join(build, "CPackConfig.cmake"),
                 "-B", package_folder(build))
    check(result.returncode == 0, f"cpack failed:\n{result.stdout}{result.stderr}")
    print(f"built {the_package(build)}")


def png_size(path):
    with open(path, "rb") as file:
        header = file.read(24)
    check(header[:8] == b"\x89PNG\r\n\x1a\n", f"{path} is not a PNG")
    return struct.unpack(">II", header[16:24])


def desktop_entry(path):
    with open(path, encoding="utf-8") as file:
        return dict(line.rstrip("\n").split("=", 1) for line in file if "=" in line)


def check_files(deb, root):
    listing = run("dpkg-deb", "--contents", deb).stdout.splitlines()
    for line in listing:
        mode, owner, *_, name = line.split()
        check(owner == "root/root", f"{name} belongs to {owner}")
        check(name.startswith("./usr/"), f"{name} lies outside /usr")
        expected = {"d": "drwxr-xr-x", "-": "-rw-r--r--"}[mode[0]]
        if name.startswith("./usr/bin/") and mode[0] == "-":
            expected = "-rwxr-xr-x"
        check(mode == expected, f"{name} has mode {mode}, not {expected}")
    names = {line.split()[-1][2:] for line in listing}
    for name in EXPECTED_FILES:
        check(name in names, f"the package lacks {name}")
    for size in ICON_SIZES:
        icon = os.path.join(root, f"usr/share/icons/hicolor/{size}x{size}/apps/{APP_ID}.png")
        check(png_size(icon) == (size, size), f"the {size} px icon is {png_size(icon)}")


def check_control(deb, version):
    fields = {name: run("dpkg-deb", "--field", deb, name).stdout.strip()
              for name in ("Package", "Version", "Depends")}
    check(fields["Package"] == "morvane" and fields["Version"] == version,
          f"package {fields['Package']} {fields['Version']}, expected morvane {version}")
    depends = dict(re.fullmatch(r"(\S+)(?: \((.*)\))?", item.strip()).groups()
                   for item in fields["Depends"].split(","))
    for library in LINKED_LIBRARIES:
        check(depends.get(library, "").startswith(">= "),
              f"no versioned dependency on {library} in: {fields['Depends']}")
    check("qt6-qpa-plugins" in depends, "no dependency on Qt's display plugins")
    print(f"Depends: {fields['Depends']}")


def check_metainfo(root, version):
    entry = desktop_entry(os.path.join(root, f"usr/share/applications/{APP_ID}.desktop"))
    check(entry.get("Icon") == APP_ID, f"the entry's icon is {entry.get('Icon')}")
    check(entry.get("StartupWMClass") == "morvane", "the entry names another window class")
    with open(os.path.join(root, f"usr/share/metainfo/{APP_ID}.metainfo.xml"),
              encoding="utf-8") as file:
        metainfo = file.read()
    for needed in (f"<id>{APP_ID}</id>", f'<release version="{version}"',
                   f"<launchable type=\"desktop-id\">{APP_ID}.desktop</launchable>",
                   "<metadata_license>CC0-1.0</metadata_license>",
                   "<project_license>GPL-3.0-or-later</project_license>",
                   '<summary xml:lang="fr">', '<p xml:lang="fr">',
                   "screenshots/main_window.png</image>"):
        check(needed in metainfo, f"the metainfo lacks {needed}")


def check_validators(deb, root):
    desktop = run("desktop-file-validate",
                  os.path.join(root, f"usr/share/applications/{APP_ID}.desktop"))
    print(f"desktop-file-validate: {desktop.stdout + desktop.stderr or 'no remark'}")
    check(desktop.returncode == 0 and not desktop.stdout.strip(), "the desktop entry is faulty")

    appstream = run("appstreamcli", "validate", "--no-net", "--pedantic",
                    os.path.join(root, f"usr/share/metainfo/{APP_ID}.metainfo.xml"))
    print(f"appstreamcli validate: {appstream.stdout.strip()}")
    check(appstream.returncode == 0 and "Validation was successful" in appstream.stdout
          and not re.search(r"^[EWIP]: ", appstream.stdout, re.M), "the metainfo is faulty")

    lintian = run("lintian", "--pedantic", "--display-info", "--display-experimental", deb)
    remarks = [line for line in lintian.stdout.splitlines() if re.match(r"^[EWIPX]: ", line)]
    print("lintian:\n" + "\n".join(remarks or ["no remark"]))
    check(lintian.returncode == 0, f"lintian failed:\n{lintian.stdout}{lintian.stderr}")
    unexplained = [line for line in remarks if line.split()[2] not in ACCEPTED_LINTIAN]
    check(not unexplained, "lintian remarks without an explanation: " + "; ".join(unexplained))


def scenario_contents(build, version, folder):
    missing = missing_programs(["dpkg-deb", "desktop-file-validate", "appstreamcli", "lintian"])
    if missing:
        print(f"skipped: {', '.join(missing)} not installed")
        return SKIP
    deb = the_package(build)
    root = os.path.join(folder, "root")
    subprocess.run(["dpkg", "-x", deb, root], check=True, timeout=60)
    check_files(deb, root)
    check_control(deb, version)
    check_metainfo(root, version)
    check_validators(deb, root)
    print(f"{os.path.basename(deb)}: {os.path.getsize(deb)} bytes")
    return 0


class InstalledSystem:
    """The unpacked package laid over /usr, in a mount namespace of each started process.

    Writes into /usr land in `upper`, in the test's folder, so that they can be told.
    """

    LAYER = ('mount -t overlay overlay -o "lowerdir=$0/usr:/usr,upperdir=$1,workdir=$2" /usr'
             ' && shift 2 && exec "$@"')

    def __init__(self, folder, deb):
        self.root = os.path.join(folder, "root")
        self.upper = os.path.join(folder, "usr-writes")
        self.work = os.path.join(folder, "overlay-work")
        subprocess.run(["dpkg", "-x", deb, self.root], check=True, timeout=60)
        os.makedirs(self.upper)
        os.makedirs(self.work)

    @staticmethod
    def available():
        probe = subprocess.run(["unshare", "--mount", "--propagation", "private", "true"],
                               capture_output=True, timeout=10)
        return probe.returncode == 0

    def command(self, *args):
        return ["unshare", "--mount", "--propagation", "private", "sh", "-c", self.LAYER,
                self.root, self.upper, self.work, *args]

    def writes(self):
        return [os.path.relpath(os.path.join(top, name), self.upper)
                for top, dirs, files in os.walk(self.upper) for name in dirs + files]


def scenario_run(build, _version, folder):
    missing = missing_programs(["dpkg", "Xvfb", "xdotool", "xwininfo", "xprop", "unshare"])
    if missing:
        print(f"skipped: {', '.join(missing)} not installed")
        return SKIP
    if not InstalledSystem.available():
        print("skipped: no private mount namespace here (unshare --mount refused)")
        return SKIP
    system = InstalledSystem(folder, the_package(build))
    home = os.path.join(folder, "home")
    xdg = {"HOME": home, "XDG_CONFIG_HOME": os.path.join(home, "config"),
           "XDG_DATA_HOME": os.path.join(home, "data"), "PATH": "/usr/bin:/bin"}
    settings = os.path.join(xdg["XDG_CONFIG_HOME"], "morvane", "morvane.INI")
    database = os.path.join(xdg["XDG_DATA_HOME"], "morvane", "morvane.MVN")
    with XSession(folder, TIME_LIMIT) as session:
        try:
            run_installed_program(session, system, xdg, settings, database)
        except Failure as failure:
            print(f"FAILED: {failure}")
            with open(os.path.join(folder, "morvane.log"), encoding="utf-8",
                      errors="replace") as log:
                print(f"--- morvane.log\n{log.read()}")
            return 1
    return 0


def run_installed_program(session, system, xdg, settings, database):
    def start():
        return session.spawn(system.command("morvane"), log="morvane.log", env=session.env(xdg))

    def quit_with_escape(process, window):
        session.keys(window, "Escape")
        check(wait_exit(process, "morvane after Escape") == 0, "morvane ended with an error")

    # A first start with nothing yet: the window, of the class the menu entry names.
    process = start()
    window = session.one_window("Morvane")
    wm_class = session.run("xprop", "-id", window, "WM_CLASS")
    check('"morvane", "morvane"' in wm_class, f"the window's class is {wm_class.strip()}")
    check(os.path.isdir(os.path.dirname(database)), "the XDG data folder was not made")
    quit_with_escape(process, window)

    # The installed mvntool, found on PATH, writes a list where the program looks for it.
    list_json = os.path.join(session.folder, "list.json")
    with open(list_json, "w", encoding="utf-8") as out:
        json.dump({"elements": ELEMENTS}, out)
    subprocess.run(system.command("mvntool", "write", list_json, database), check=True,
                   env=session.env(xdg), timeout=30)
    with open(database, "rb") as file:
        good_list = file.read()

    # Settings and list come from the XDG folders: French settings and a damaged list give
    # the French error box.
    with open(settings, "w", encoding="utf-8") as file:
        file.write("[Config]\nLanguage=FR\n")
    with open(database, "wb") as file:
        file.write(good_list[: len(good_list) // 2])
    process = start()
    session.keys(session.one_window("ERREUR"), "Return")
    quit_with_escape(process, session.one_window("Morvane"))

    # A sound list there opens without a box, and the installed mvntool reads it.
    with open(database, "wb") as file:
        file.write(good_list)
    process = start()
    window = session.one_window("Morvane")
    check(not session.visible_windows("ERREUR"), "an error box came up with a sound list")
    quit_with_escape(process, window)
    dump = subprocess.run(system.command("mvntool", "dump", database), capture_output=True,
                          text=True, env=session.env(xdg), timeout=30)
    check("Project report" in dump.stdout, f"mvntool dump lost the element: {dump.stdout}")

    check(not system.writes(), f"files were written into /usr: {system.writes()}")
    print("the installed program opened its window and kept its files in the XDG folders")


SCENARIOS = {"build": scenario_build, "contents": scenario_contents, "run": scenario_run}


def main(argv):
    if len(argv) != 4 or argv[1] not in SCENARIOS:
        print(__doc__, file=sys.stderr)
        return 2
    if argv[1] == "build" and missing_programs(["cpack", "dpkg-deb", "dpkg-shlibdeps"]):
        print("skipped: cpack, dpkg-deb or dpkg-shlibdeps not installed")
        return SKIP
    with tempfile.TemporaryDirectory(prefix="morvane-package-") as folder:
        try:
            status = SCENARIOS[argv[1]](argv[2], argv[3], folder)
        except Failure as failure:
            print(f"FAILED: {failure}")
            return 1
    if not status:
        print("passed")
    return status or 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
