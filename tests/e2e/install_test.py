"""`cmake --install` into a temporary prefix, then the program in examples/
built against the installed tree, once with find_package(vorn) and once with
pkg-config, and run against the local test hub."""

import os
import shlex
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "hub"))
from hubctl import records, run_hub  # noqa: E402

REPO = os.path.normpath(os.path.join(HERE, "..", ".."))
BUILD = os.environ.get("VORN_BUILD_DIR", os.path.join(REPO, "build"))
# Flags that the example needs to link against this build's libraries (the
# sanitizer build's need the sanitizers too).
FLAGS = os.environ.get("VORN_EXAMPLE_FLAGS", "")
INVOICE = os.path.join(REPO, "tests", "cli", "fatturapa", "IT01234567890_FPA01.xml")


def run(args, **kwargs):
    result = subprocess.run(args, capture_output=True, timeout=600, **kwargs)
    if result.returncode != 0:
        raise AssertionError("%s failed (%d):\n%s%s" % (
            " ".join(args), result.returncode, result.stdout.decode(errors="replace"),
            result.stderr.decode(errors="replace")))
    return result


class Install(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.temp = tempfile.mkdtemp(prefix="vorn-install-")
        cls.prefix = os.path.join(cls.temp, "prefix")
        run(["cmake", "--install", BUILD, "--prefix", cls.prefix])

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.temp, ignore_errors=True)

    def test_installed_tree(self):
        for path in ["bin/vorn", "share/man/man1/vorn.1", "include/vorn/service/service.h",
                     "include/vorn/soap/xml/schema_validator.h", "lib/libvorn_service.a",
                     "lib/cmake/vorn/vornConfig.cmake", "lib/pkgconfig/vorn.pc"]:
            self.assertTrue(os.path.isfile(os.path.join(self.prefix, path)), path)
        version = run([os.path.join(self.prefix, "bin", "vorn"), "--version"]).stdout
        self.assertTrue(version.startswith(b"vorn 1."), version)
        if shutil.which("man"):
            page = run(["man", "-l", os.path.join(self.prefix, "share/man/man1/vorn.1")],
                       env=dict(os.environ, MANPAGER="cat", PAGER="cat", MANWIDTH="80")).stdout
            self.assertIn(b"EXIT STATUS", page)

    def submit(self, program):
        with run_hub(script=["accepted"]) as hub:
            url = "http://127.0.0.1:%d/Service.svc" % hub.port
            r = subprocess.run([program, url, "utente", "segreta", INVOICE], capture_output=True,
                               timeout=120)
            self.assertEqual((r.stdout, r.returncode), (b"accepted\n", 0), r.stderr)
            self.assertEqual(len(records(hub.record_dir)), 1)

    def test_example_with_find_package(self):
        build = os.path.join(self.temp, "cmake-example")
        run(["cmake", "-S", os.path.join(REPO, "examples"), "-B", build, "-G", "Ninja",
             "-DCMAKE_PREFIX_PATH=" + self.prefix, "-DCMAKE_CXX_FLAGS=" + FLAGS,
             "-DCMAKE_EXE_LINKER_FLAGS=" + FLAGS])
        run(["cmake", "--build", build])
        self.submit(os.path.join(build, "submit_invoice"))

    def test_example_with_pkg_config(self):
        env = dict(os.environ, PKG_CONFIG_PATH=os.path.join(self.prefix, "lib", "pkgconfig"))
        flags = run(["pkg-config", "--cflags", "--libs", "vorn"], env=env).stdout.decode().split()
        program = os.path.join(self.temp, "pkg-config-example")
        run([os.environ.get("CXX", "c++"), "-std=c++20", *shlex.split(FLAGS),
             os.path.join(REPO, "examples", "submit_invoice.cc"), "-o", program, *flags])
        self.submit(program)


if __name__ == "__main__":
    unittest.main()
