"""Builds the pblur package's extension and the module with CMake, and
puts both beside the package's Python files."""
import os
import re
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = os.path.dirname(os.path.abspath(__file__))


def project_version():
    """The version project() gives in CMakeLists.txt, the one place it is kept."""
    with open(os.path.join(ROOT, "CMakeLists.txt")) as f:
        return re.search(r"^project\(\w+ VERSION ([0-9.]+)", f.read(), re.MULTILINE).group(1)


class CMakeExtension(Extension):
    def __init__(self, name):
        super().__init__(name, sources=[])


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        build = os.path.join(os.path.abspath(self.build_temp), "cmake")
        configure = ["cmake", "-S", ROOT, "-B", build, "-DCMAKE_BUILD_TYPE=Release",
                     "-DQXV_BUILD_PYTHON=ON", "-DQXV_BUILD_TESTS=OFF", "-DQXV_BUILD_BENCH=OFF",
                     "-DPython_EXECUTABLE=" + sys.executable]
        if shutil.which("ninja") and not os.path.exists(os.path.join(build, "CMakeCache.txt")):
            configure += ["-G", "Ninja"]
        subprocess.check_call(configure)
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", str(os.cpu_count() or 1))
        subprocess.check_call(["cmake", "--build", build, "--target", "_pblur", "-j", jobs])
        built = os.path.join(build, "python", "pblur")
        target = os.path.dirname(os.path.abspath(self.get_ext_fullpath(ext.name)))
        os.makedirs(target, exist_ok=True)
        for name in os.listdir(built):
            shutil.copy2(os.path.join(built, name), target)


setup(
    version=project_version(),
    packages=["pblur"],
    package_dir={"pblur": "python/pblur"},
    package_data={"pblur": ["py.typed"]},
    ext_modules=[CMakeExtension("pblur._pblur")],
    cmdclass={"build_ext": CMakeBuild},
    zip_safe=False,
)
