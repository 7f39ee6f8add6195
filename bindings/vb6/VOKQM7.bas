Attribute VB_Name = "VOKQM7"
' VOKQM7 from VB6 and VBA: the six exports and the calls that raise the
' library's message. Declare always calls stdcall. Every text goes out as a
' byte array of GBK, converted through locale 2052 (code page 936) whatever
' the system's code page is, and the message comes back the same way. A
' text GBK cannot hold is refused before the library sees it: VB's own
' conversion would have made "?" of it.
Option Explicit

#If VBA7 Then
' Office 2010 and later; 64-bit Office loads only the 64-bit VOKQM7.dll.
Public Declare PtrSafe Function GetVersionQM7 Lib "VOKQM7.dll" () As Long
Public Declare PtrSafe Function GetReportDate Lib "VOKQM7.dll" (ByRef loginXml As Byte, ByRef outputPath As Byte, ByRef messageBuffer As Byte) As Long
Public Declare PtrSafe Function GetReport Lib "VOKQM7.dll" (ByRef loginXml As Byte, ByVal trailingNumber As Long, ByRef templatePath As Byte, ByRef dataFilePath As Byte, ByRef messageBuffer As Byte) As Long
Public Declare PtrSafe Function GetReportV2 Lib "VOKQM7.dll" (ByRef loginXml As Byte, ByRef outputPath As Byte, ByRef messageBuffer As Byte) As Long
Public Declare PtrSafe Function OpenReportV2 Lib "VOKQM7.dll" (ByRef loginXml As Byte, ByRef messageBuffer As Byte) As Long
Public Declare PtrSafe Function GetReportDateV2 Lib "VOKQM7.dll" (ByRef loginXml As Byte, ByRef outputPath As Byte, ByRef messageBuffer As Byte) As Long
#Else
Public Declare Function GetVersionQM7 Lib "VOKQM7.dll" () As Long
Public Declare Function GetReportDate Lib "VOKQM7.dll" (ByRef loginXml As Byte, ByRef outputPath As Byte, ByRef messageBuffer As Byte) As Long
Public Declare Function GetReport Lib "VOKQM7.dll" (ByRef loginXml As Byte, ByVal trailingNumber As Long, ByRef templatePath As Byte, ByRef dataFilePath As Byte, ByRef messageBuffer As Byte) As Long
Public Declare Function GetReportV2 Lib "VOKQM7.dll" (ByRef loginXml As Byte, ByRef outputPath As Byte, ByRef messageBuffer As Byte) As Long
Public Declare Function OpenReportV2 Lib "VOKQM7.dll" (ByRef loginXml As Byte, ByRef messageBuffer As Byte) As Long
Public Declare Function GetReportDateV2 Lib "VOKQM7.dll" (ByRef loginXml As Byte, ByRef outputPath As Byte, ByRef messageBuffer As Byte) As Long
#End If

' A failed call raises vokqm7ErrorBase + the message's number in
' docs/messages.md (vokqm7 explain N; the constants are in VOKQM7Messages.bas),
' vokqm7ErrorBase itself for a text that is none of them.
Public Const vokqm7ErrorBase As Long = vbObjectError + 1000
' A text holding a character GBK lacks; the library was not called.
Public Const vokqm7TextError As Long = vbObjectError + 999

' No size goes with the buffer; the longest message takes 52 bytes.
Private Const MessageBufferSize As Long = 256
' Simplified Chinese: its code page, 936, is GBK.
Private Const GbkLocale As Long = 2052

' The login text of a call, its values escaped. account to server for every
' call; reportType and fileRep for GetReportV2; userId, password, loginDate
' and fileRep for OpenReportV2. A missing optional field is not written.
Public Function LoginXml(ByVal account As String, ByVal year As Long, ByVal period As Long, ByVal server As String, _
        Optional ByVal userId As Variant, Optional ByVal password As Variant, Optional ByVal loginDate As Variant, _
        Optional ByVal fileRep As Variant, Optional ByVal reportType As Variant) As String
    Dim xml As String
    xml = "<Info><LoginInfo>" & Field("AccountCode", account) & Field("Year", CStr(year)) & _
        Field("Period", CStr(period)) & Field("Server", server)
    If Not IsMissing(userId) Then xml = xml & Field("UserID", CStr(userId))
    If Not IsMissing(password) Then xml = xml & Field("Password", CStr(password))
    If Not IsMissing(loginDate) Then xml = xml & Field("LoginDate", CStr(loginDate))
    If Not IsMissing(fileRep) Then xml = xml & Field("FileRep", CStr(fileRep))
    If Not IsMissing(reportType) Then xml = xml & Field("ReportType", CStr(reportType))
    LoginXml = xml & "</LoginInfo></Info>"
End Function

Private Function Field(ByVal element As String, ByVal value As String) As String
    value = Replace(value, "&", "&amp;")
    value = Replace(value, "<", "&lt;")
    value = Replace(value, ">", "&gt;")
    value = Replace(value, "'", "&apos;")
    value = Replace(value, """", "&quot;")
    Field = "<" & element & ">" & value & "</" & element & ">"
End Function

' The text as zero-terminated GBK bytes. StrConv writes "?" or a look-alike
' for a character GBK lacks: only a text that converts back whole is passed.
Public Function ToGbk(ByVal argumentName As String, ByVal text As String) As Byte()
    Dim bytes() As Byte, i As Long, one As String
    bytes = StrConv(text, vbFromUnicode, GbkLocale)
    If StrConv(bytes, vbUnicode, GbkLocale) <> text Then
        For i = 1 To Len(text)
            one = Mid$(text, i, 1)
            If StrConv(StrConv(one, vbFromUnicode, GbkLocale), vbUnicode, GbkLocale) <> one Then Exit For
        Next
        If i > Len(text) Then i = 1
        Err.Raise vokqm7TextError, "VOKQM7", argumentName & ": the character U+" & _
            Right$("000" & Hex$(AscW(Mid$(text, i, 1)) And &HFFFF&), 4) & " at " & CStr(i) & _
            " has no GBK form; VOKQM7 takes GBK text only"
    End If
    ReDim Preserve bytes(0 To UBound(bytes) + 1)
    ToGbk = bytes
End Function

Private Sub CheckResult(ByVal functionName As String, ByVal result As Long, buffer() As Byte)
    Dim length As Long, i As Long, hexText As String, message() As Byte, number As Long
    If result = 0 Then Exit Sub
    Do While length < MessageBufferSize - 1
        If buffer(length) = 0 Then Exit Do
        hexText = hexText & Right$("0" & Hex$(buffer(length)), 2)
        length = length + 1
    Loop
    If length > 0 Then
        ReDim message(0 To length - 1)
        For i = 0 To length - 1
            message(i) = buffer(i)
        Next
    End If
    number = Vokqm7MessageNumber(hexText)
    Err.Raise vokqm7ErrorBase + number, functionName, functionName & " failed (" & CStr(result) & _
        ", message " & CStr(number) & "): " & StrConv(message, vbUnicode, GbkLocale)
End Sub

' The combined filing of one period from the national-tax templates.
Public Sub WriteReportDate(ByVal login As String, ByVal outputPath As String)
    Dim loginBytes() As Byte, pathBytes() As Byte, buffer(0 To MessageBufferSize - 1) As Byte
    loginBytes = ToGbk("login", login)
    pathBytes = ToGbk("outputPath", outputPath)
    CheckResult "GetReportDate", GetReportDate(loginBytes(0), pathBytes(0), buffer(0)), buffer
End Sub

' The same from the financial-report templates.
Public Sub WriteReportDateV2(ByVal login As String, ByVal outputPath As String)
    Dim loginBytes() As Byte, pathBytes() As Byte, buffer(0 To MessageBufferSize - 1) As Byte
    loginBytes = ToGbk("login", login)
    pathBytes = ToGbk("outputPath", outputPath)
    CheckResult "GetReportDateV2", GetReportDateV2(loginBytes(0), pathBytes(0), buffer(0)), buffer
End Sub

' One statement: the login names reportType and fileRep.
Public Sub WriteReportV2(ByVal login As String, ByVal outputPath As String)
    Dim loginBytes() As Byte, pathBytes() As Byte, buffer(0 To MessageBufferSize - 1) As Byte
    loginBytes = ToGbk("login", login)
    pathBytes = ToGbk("outputPath", outputPath)
    CheckResult "GetReportV2", GetReportV2(loginBytes(0), pathBytes(0), buffer(0)), buffer
End Sub

' The report tool's raw cell export of one template, copied to dataFilePath.
Public Sub WriteReport(ByVal login As String, ByVal trailingNumber As Long, ByVal templatePath As String, ByVal dataFilePath As String)
    Dim loginBytes() As Byte, templateBytes() As Byte, dataBytes() As Byte, buffer(0 To MessageBufferSize - 1) As Byte
    loginBytes = ToGbk("login", login)
    templateBytes = ToGbk("templatePath", templatePath)
    dataBytes = ToGbk("dataFilePath", dataFilePath)
    CheckResult "GetReport", GetReport(loginBytes(0), trailingNumber, templateBytes(0), dataBytes(0), buffer(0)), buffer
End Sub

' Starts the interactive report tool logged in (userId, password, loginDate,
' fileRep in the login) and returns without waiting for it.
Public Sub OpenReport(ByVal login As String)
    Dim loginBytes() As Byte, buffer(0 To MessageBufferSize - 1) As Byte
    loginBytes = ToGbk("login", login)
    CheckResult "OpenReportV2", OpenReportV2(loginBytes(0), buffer(0)), buffer
End Sub
