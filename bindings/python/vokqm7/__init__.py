"""VOKQM7 from Python, through ctypes.

    import vokqm7
    library = vokqm7.Library()          # the DLL of the wheel, or a path
    library.get_report_date(r"D:\\filing\\2026-11.xml",
                            account="001", year=2026, period=11, server="acct")

Every text crosses the boundary as GBK bytes; a character GBK lacks is
refused (Vokqm7TextError) before the library is called. A failing call
raises Vokqm7Error carrying the library's result, its message decoded from
GBK and the message's number (docs/messages.md, `vokqm7 explain N`).
"""
import ctypes
import os
import struct
import sys
from xml.sax.saxutils import escape

from .messages import BY_GBK, Message

ENCODING = "gbk"
# No size is passed to the library; its longest message takes 52 bytes.
MESSAGE_BUFFER_SIZE = 256

_text = ctypes.c_char_p
_buffer = ctypes.c_char_p
# Each export with its arguments, in the header's order.
_EXPORTS = {
    "GetVersionQM7": (),
    "GetReportDate": (_text, _text, _buffer),
    "GetReport": (_text, ctypes.c_int, _text, _text, _buffer),
    "GetReportV2": (_text, _text, _buffer),
    "OpenReportV2": (_text, _buffer),
    "GetReportDateV2": (_text, _text, _buffer),
}

# Every field the library reads, in the order of its own example.
_LOGIN_FIELDS = (
    ("account", "AccountCode"),
    ("year", "Year"),
    ("period", "Period"),
    ("server", "Server"),
    ("user", "UserID"),
    ("password", "Password"),
    ("login_date", "LoginDate"),
    ("file_rep", "FileRep"),
    ("report_type", "ReportType"),
)


class Vokqm7Error(Exception):
    """A call that failed: its negative result, the library's message and
    the message's number (code, a Message; Message.UNKNOWN for a text the
    catalogue of this binding does not hold)."""

    def __init__(self, function, result, message, code=Message.UNKNOWN):
        super().__init__("%s failed (%d, message %d): %s" % (function, result, code, message))
        self.function = function
        self.result = result
        self.message = message
        self.code = Message(code)


class Vokqm7TextError(ValueError):
    """A text holding a character that GBK lacks: the library was not called."""

    def __init__(self, argument, text, position):
        self.argument, self.position, self.character = argument, position, text[position]
        super().__init__("%s: %r (U+%04X) at %d has no GBK form; VOKQM7 takes GBK text only"
                         % (argument, self.character, ord(self.character), position))


def login_xml(**fields):
    """The login text of a call, its values escaped. Fields: account, year,
    period, server; user, password, login_date, file_rep and report_type
    where the call reads them."""
    known = dict(_LOGIN_FIELDS)
    unknown = sorted(set(fields) - set(known))
    if unknown:
        raise TypeError("unknown login field(s): " + ", ".join(unknown))
    quotes = {"'": "&apos;", '"': "&quot;"}
    parts = ["<%s>%s</%s>" % (element, escape(str(fields[name]), quotes), element)
             for name, element in _LOGIN_FIELDS if fields.get(name) is not None]
    return "<Info><LoginInfo>" + "".join(parts) + "</LoginInfo></Info>"


def gbk(text, argument="text"):
    """text as the library takes it; bytes are taken as GBK already."""
    if isinstance(text, bytes):
        return text
    text = os.fspath(text)
    try:
        return text.encode(ENCODING)
    except UnicodeEncodeError as error:
        raise Vokqm7TextError(argument, text, error.start) from error


def _image_bits(path):
    """32 or 64 for a Windows DLL or an ELF library at path, else None."""
    try:
        with open(path, "rb") as file:
            head = file.read(4096)
    except OSError:
        return None
    if head[:4] == b"\x7fELF":
        return {1: 32, 2: 64}.get(head[4])
    if head[:2] == b"MZ" and len(head) >= 64:
        pe = struct.unpack_from("<I", head, 60)[0]
        if head[pe:pe + 4] == b"PE\0\0":
            return {0x14C: 32, 0x8664: 64}.get(struct.unpack_from("<H", head, pe + 4)[0])
    return None


def _bundled():
    """The wheel's DLL of this Python's bitness, beside this module."""
    bits = ctypes.sizeof(ctypes.c_void_p) * 8
    return os.path.join(os.path.dirname(os.path.abspath(__file__)), "bin",
                        "x64" if bits == 64 else "x86", "VOKQM7.dll")


def _load(name):
    if sys.platform != "win32":
        return ctypes.CDLL(name)
    folder = os.path.dirname(name)
    if folder:
        # Python 3.8+ looks for a DLL's dependencies only where it is told to.
        with os.add_dll_directory(folder):
            return ctypes.WinDLL(name)  # stdcall: the DLL removes its arguments
    return ctypes.WinDLL(name)


class Library:
    """One loaded VOKQM7 library. Calls on one installation take turns in
    the library itself: a call made while another runs waits for it."""

    def __init__(self, path=None):
        if path is None:
            if sys.platform == "win32":
                path = _bundled() if os.path.isfile(_bundled()) else "VOKQM7.dll"
            else:
                path = "libVOKQM7.so.1"
        name = os.fspath(path)
        bits = ctypes.sizeof(ctypes.c_void_p) * 8
        given_path = os.path.dirname(name) != ""
        if given_path and not os.path.isfile(name):
            raise FileNotFoundError("no VOKQM7 library at %s" % name)
        try:
            self._dll = _load(name)
        except OSError as error:
            image = _image_bits(name) if given_path else None
            if image is not None and image != bits:
                reason = ("it is a %d-bit library and this Python is %d-bit: load the %d-bit "
                          "one (the win%d package) or use a %d-bit Python"
                          % (image, bits, bits, bits, image))
            elif not given_path:
                reason = ("found nowhere Python looks for a bare name (on Windows, Python 3.8 "
                          "and later look neither on PATH nor in the script's folder): pass "
                          "its full path")
            else:
                reason = "the system refused it"
            raise OSError("cannot load %s: %s (%s)" % (name, reason, error)) from error
        for function, arguments in _EXPORTS.items():
            export = getattr(self._dll, function)
            export.argtypes = arguments
            export.restype = ctypes.c_int

    def _call(self, function, *arguments):
        message = ctypes.create_string_buffer(MESSAGE_BUFFER_SIZE)
        result = getattr(self._dll, function)(*arguments, message)
        if result != 0:
            raw = message.value
            raise Vokqm7Error(function, result, raw.decode(ENCODING, "replace"),
                              BY_GBK.get(raw, Message.UNKNOWN))

    def get_version(self):
        return self._dll.GetVersionQM7()

    def get_report_date(self, output_path, **login):
        """The combined filing of one period, national-tax templates."""
        self._call("GetReportDate", gbk(login_xml(**login), "login"), gbk(output_path, "output_path"))

    def get_report_date_v2(self, output_path, **login):
        """The combined filing of one period, financial-report templates."""
        self._call("GetReportDateV2", gbk(login_xml(**login), "login"),
                   gbk(output_path, "output_path"))

    def get_report_v2(self, output_path, **login):
        """One statement: report_type "ZCFZB" or "SYB" from the template file_rep."""
        self._call("GetReportV2", gbk(login_xml(**login), "login"), gbk(output_path, "output_path"))

    def get_report(self, trailing_number, template_path, data_file_path, **login):
        """The report tool's raw cell export of one template."""
        self._call("GetReport", gbk(login_xml(**login), "login"), trailing_number,
                   gbk(template_path, "template_path"), gbk(data_file_path, "data_file_path"))

    def open_report_v2(self, **login):
        """Starts the interactive report tool logged in; does not wait."""
        self._call("OpenReportV2", gbk(login_xml(**login), "login"))
