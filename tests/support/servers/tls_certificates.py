"""Makes the certificates of the TLS tests in FOLDER with the openssl command: a test CA
(ca.crt, given to the program through SSL_CERT_FILE) and, each with a key of its own
(NAME.crt, NAME.key) and its libcurl pin (NAME.pin, "sha256//BASE64"):

  good        signed by the CA for localhost, 127.0.0.1 and ::1
  self        self-signed, for the same names
  expired     signed by the CA, valid only in January 2020
  otherhost   signed by the CA for other.invalid only

  .../tls_certificates.py FOLDER
"""
import base64
import hashlib
import os
import subprocess
import sys

NAMES = "subjectAltName=DNS:localhost,IP:127.0.0.1,IP:::1\n"


def openssl(*arguments, data=None):
    return subprocess.run(("openssl",) + arguments, input=data, check=True,
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout


def new_key(folder, name):
    key = os.path.join(folder, name + ".key")
    openssl("genpkey", "-algorithm", "EC", "-pkeyopt", "ec_paramgen_curve:P-256", "-out", key)
    return key


def write(path, text):
    with open(path, "w", encoding="utf-8") as out:
        out.write(text)


def pin(folder, name):
    certificate = os.path.join(folder, name + ".crt")
    public = openssl("x509", "-in", certificate, "-pubkey", "-noout")
    der = openssl("pkey", "-pubin", "-outform", "DER", data=public)
    write(os.path.join(folder, name + ".pin"),
          "sha256//" + base64.b64encode(hashlib.sha256(der).digest()).decode())


def signed(folder, name, names, dates=None):
    """A certificate of the CA; `dates` ("YYYYMMDDHHMMSSZ" twice) need the CA command."""
    key = new_key(folder, name)
    request = os.path.join(folder, name + ".csr")
    openssl("req", "-new", "-key", key, "-subj", "/CN=" + name, "-out", request)
    extensions = os.path.join(folder, name + ".ext")
    write(extensions, names)
    certificate = os.path.join(folder, name + ".crt")
    if dates is None:
        openssl("x509", "-req", "-in", request, "-CA", os.path.join(folder, "ca.crt"),
                "-CAkey", os.path.join(folder, "ca.key"), "-CAcreateserial", "-days", "3650",
                "-extfile", extensions, "-out", certificate)
    else:
        database = os.path.join(folder, "ca-db")
        os.makedirs(database, exist_ok=True)
        write(os.path.join(database, "index.txt"), "")
        write(os.path.join(database, "serial"), "1000\n")
        config = os.path.join(folder, "ca.cnf")
        write(config, f"""[ca]
default_ca = test
[test]
database = {database}/index.txt
serial = {database}/serial
new_certs_dir = {database}
default_md = sha256
policy = anything
[anything]
commonName = supplied
""")
        openssl("ca", "-batch", "-config", config, "-cert", os.path.join(folder, "ca.crt"),
                "-keyfile", os.path.join(folder, "ca.key"), "-startdate", dates[0],
                "-enddate", dates[1], "-extfile", extensions, "-in", request,
                "-out", certificate)
    pin(folder, name)


def main():
    folder = sys.argv[1]
    ca_key = new_key(folder, "ca")
    openssl("req", "-x509", "-new", "-key", ca_key, "-subj", "/CN=Morvane test CA",
            "-days", "3650", "-out", os.path.join(folder, "ca.crt"))
    signed(folder, "good", NAMES)
    signed(folder, "expired", NAMES, ("20200101000000Z", "20200201000000Z"))
    signed(folder, "otherhost", "subjectAltName=DNS:other.invalid\n")
    key = new_key(folder, "self")
    openssl("req", "-x509", "-new", "-key", key, "-subj", "/CN=localhost", "-days", "3650",
            "-addext", NAMES.strip(), "-out", os.path.join(folder, "self.crt"))
    pin(folder, "self")
    print("DONE", flush=True)


if __name__ == "__main__":
    main()
