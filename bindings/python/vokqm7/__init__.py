"""VOKQM7 from Python, through ctypes.

    import vokqm7
    library = vokqm7.Library()          # VOKQM7.dll beside the script or on PATH
    library.get_report_date(r"D:\\filing\\2026-11.xml",
                            account="001", year=2026, period=11, server="acct")

Every text crosses the boundary as GBK bytes. A failing call raises
Vokqm7Error carrying the library's result and its message, decoded.
"""
import ctypes
import os
import sys
from xml.sax.saxutils import escape

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

# Login fields in the order the library's own example gives them.
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
    """A call that failed: its negative result and the library's message."""

    def __init__(self, function, result, message):
        super().__init__("%s failed (%d): %s" % (function, result, message))
        self.function = function
        self.result = result
        self.message = message


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


def _gbk(text):
    if isinstance(text, bytes):
        return text
    return os.fspath(text).encode(ENCODING)


def _default_name():
    if sys.platform == "win32":
        return "VOKQM7.dll"
    return "libVOKQM7.so.1"


class Library:
    """One loaded VOKQM7 library. Calls on one installation take turns in
    the library itself: a call made while another runs waits for it."""

    def __init__(self, path=None):
        name = path or _default_name()
        try:
            if sys.platform == "win32":
                # stdcall: the DLL removes its arguments from the stack.
                self._dll = ctypes.WinDLL(name)
            else:
                self._dll = ctypes.CDLL(name)
        except OSError as error:
            bits = ctypes.sizeof(ctypes.c_void_p) * 8
            raise OSError("cannot load %s into this %d-bit Python (the DLL must be of the "
                          "same bitness): %s" % (name, bits, error)) from error
        for function, arguments in _EXPORTS.items():
            export = getattr(self._dll, function)
            export.argtypes = arguments
            export.restype = ctypes.c_int

    def _call(self, function, *arguments):
        message = ctypes.create_string_buffer(MESSAGE_BUFFER_SIZE)
        result = getattr(self._dll, function)(*arguments, message)
        if result != 0:
            raise Vokqm7Error(function, result, message.value.decode(ENCODING, "replace"))

    def get_version(self):
        return self._dll.GetVersionQM7()

    def get_report_date(self, output_path, **login):
        """The combined filing of one period, national-tax templates."""
        self._call("GetReportDate", _gbk(login_xml(**login)), _gbk(output_path))

    def get_report_date_v2(self, output_path, **login):
        """The combined filing of one period, financial-report templates."""
        self._call("GetReportDateV2", _gbk(login_xml(**login)), _gbk(output_path))

    def get_report_v2(self, output_path, **login):
        """One statement: report_type "ZCFZB" or "SYB" from the template file_rep."""
        self._call("GetReportV2", _gbk(login_xml(**login)), _gbk(output_path))

    def get_report(self, trailing_number, template_path, data_file_path, **login):
        """The report tool's raw cell export of one template."""
        self._call("GetReport", _gbk(login_xml(**login)), trailing_number,
                   _gbk(template_path), _gbk(data_file_path))

    def open_report_v2(self, **login):
        """Starts the interactive report tool logged in; does not wait."""
        self._call("OpenReportV2", _gbk(login_xml(**login)))
