# Sourced by scripts/install-test-deps.sh: lets a kernel that refuses 32-bit
# x86 programs run them, so that wine can run the DLL's suite.
#
# Some kernels are built without IA-32 emulation; wine's 32-bit loader then
# fails with "Exec format error". qemu's user-mode emulator runs such
# programs when binfmt_misc hands them to it. bookworm's qemu (7.2) cannot
# start wine (it ignores MAP_FIXED_NOREPLACE and wine fails to map its
# shared user data); trixie's (10.0) can, and its binaries are static, so
# that one package is unpacked on its own, apt installing nothing else.
# Its download is checked by apt against Debian's archive keys, from a
# sources list of its own that the system's apt never sees.

QEMU_I386_DIR=/opt/qxv-qemu-trixie
QEMU_I386_ENTRY=/proc/sys/fs/binfmt_misc/qemu-i386

# True when a 32-bit x86 program starts here: wine's own loader is one.
runs_32bit_programs() {
  wine --version >/dev/null 2>&1
}

# Fetches and unpacks trixie's qemu-user into QEMU_I386_DIR (once).
fetch_trixie_qemu() {
  [ -x "$QEMU_I386_DIR/usr/bin/qemu-i386" ] && return 0
  local apt_dir deb
  apt_dir=$(mktemp -d)
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/archives/partial"
  echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian trixie main" \
    >"$apt_dir/sources.list"
  local apt_options=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=-"
                     -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache::Archives=$apt_dir/archives"
                     -o "Dir::Cache::pkgcache=" -o "Dir::Cache::srcpkgcache=" -o "APT::Architecture=amd64"
                     -o "APT::Architectures=amd64" -o "APT::Sandbox::User=root"
                     -o "Debug::NoLocking=1")
  apt-get "${apt_options[@]}" update -q >/dev/null &&
    (cd "$apt_dir/archives" && apt-get "${apt_options[@]}" download qemu-user) >/dev/null || {
      echo "qemu-i386.sh: cannot download qemu-user from Debian trixie" >&2
      rm -rf "$apt_dir"
      return 1
    }
  deb=$(ls "$apt_dir"/archives/qemu-user_*.deb)
  mkdir -p "$QEMU_I386_DIR"
  dpkg-deb -x "$deb" "$QEMU_I386_DIR"
  rm -rf "$apt_dir"
  "$QEMU_I386_DIR/usr/bin/qemu-i386" --version | head -1
}

# Registers qemu-i386 for i386 ELF executables. Flags: O (the emulator
# opens the program, so unreadable executables work too), C (credentials
# come from the program, not the emulator), F (the emulator is opened now,
# so it is found inside any mount namespace or chroot later).
register_qemu_i386() {
  if [ ! -e /proc/sys/fs/binfmt_misc/register ]; then
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc || return 1
  fi
  [ -e "$QEMU_I386_ENTRY" ] && echo -1 >"$QEMU_I386_ENTRY"
  local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  echo ":qemu-i386:M::$magic:$mask:$QEMU_I386_DIR/usr/bin/qemu-i386:OCF" \
    >/proc/sys/fs/binfmt_misc/register
}

# Sets the emulator up where 32-bit programs cannot run, and only there.
# Needs root (binfmt_misc is the whole machine's); says so otherwise.
enable_32bit_programs() {
  runs_32bit_programs && return 0
  if [ "$(id -u)" != 0 ]; then
    echo "qemu-i386.sh: this kernel cannot run 32-bit programs; run scripts/install-test-deps.sh as root" \
         "to register Debian trixie's qemu-i386 for them" >&2
    return 0
  fi
  echo "qemu-i386.sh: this kernel cannot run 32-bit programs: registering trixie's qemu-i386 for them" >&2
  fetch_trixie_qemu && register_qemu_i386 || return 1
  runs_32bit_programs || {
    echo "qemu-i386.sh: wine still cannot start after registering qemu-i386: $(wine --version 2>&1 | tail -1)" >&2
    return 1
  }
}
