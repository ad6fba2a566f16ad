"""What the build ships, read without running it: the executables' import tables and the Group
Policy templates."""

import re
import shutil
import subprocess
import xml.etree.ElementTree as ET

import pytest

from conftest import BUILD_DIR, REPO_ROOT

# HKLM\System\CurrentControlSet\Control\Session Manager\KnownDLLs of Windows 10 and 11: the
# loader maps these from System32 whatever the search order, so a copy beside a program is
# never used. Everything else is looked for in the program's folder first.
KNOWN_DLLS = {
    "advapi32.dll", "clbcatq.dll", "combase.dll", "comdlg32.dll", "coml2.dll", "difxapi.dll", "gdi32.dll",
    "gdiplus.dll", "imagehlp.dll", "imm32.dll", "kernel32.dll", "msctf.dll", "msvcrt.dll", "normaliz.dll",
    "nsi.dll", "ole32.dll", "oleaut32.dll", "psapi.dll", "rpcrt4.dll", "sechost.dll", "setupapi.dll",
    "shcore.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "wldap32.dll", "wow64.dll", "ws2_32.dll",
    "ntdll.dll",  # always loaded first, from System32
}
# The time service and the console query tool have no window to draw, no dialog, no shell and
# no sound, so they must not even carry those libraries, imported, delay-loaded or named for
# LoadLibrary. (USER32 they need: their sockets and name look-ups report to a message-only window.)
HEADLESS = {"HorvaneTime.exe", "SntpQuery.exe"}
NOT_IN_HEADLESS = {"gdi32.dll", "comdlg32.dll", "comctl32.dll", "shell32.dll", "winmm.dll"}
OBJDUMP = shutil.which("x86_64-w64-mingw32-objdump")
POLICY_NS = {"p": "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions"}


def imports(exe):
    dump = subprocess.run([OBJDUMP, "-p", str(exe)], capture_output=True, text=True, check=True).stdout
    return {name.lower() for name in re.findall(r"DLL Name: (\S+)", dump)}


def built_executables():
    # Made by NSIS, not by our linker.
    foreign = {"Horvane-setup.exe", "Uninstall.exe"}
    return sorted(p for p in BUILD_DIR.rglob("*.exe") if "CMakeFiles" not in p.parts and p.name not in foreign)


@pytest.mark.skipif(OBJDUMP is None, reason="needs binutils-mingw-w64")
def test_no_executable_imports_a_dll_the_loader_would_look_for_beside_it():
    executables = built_executables()
    names = {exe.name for exe in executables}
    assert {"Horvane.exe", "Quorel.exe", "Vistrel.exe", "Globrin.exe"} | HEADLESS <= names, names
    for exe in executables:
        searched = {dll for dll in imports(exe) if dll not in KNOWN_DLLS and not dll.startswith("api-ms-win-")}
        assert not searched, f"{exe.name} imports {sorted(searched)} at load time"
    for exe in (exe for exe in executables if exe.name in HEADLESS):
        code = exe.read_bytes().lower()
        carried = {dll for dll in NOT_IN_HEADLESS if dll.encode() in code or dll.encode("utf-16-le") in code}
        assert not carried, f"{exe.name} links {sorted(carried)}"


def code_constants(header):
    text = (REPO_ROOT / "src" / header).read_text()
    return {name: value.replace("\\\\", "\\")
            for name, value in re.findall(r'constexpr const char\* (k\w+) = "([^"]*)";', text)}


def test_policy_templates_are_whole_and_name_only_values_the_program_reads():
    admx = ET.parse(REPO_ROOT / "policy" / "Horvane.admx").getroot()
    adml = ET.parse(REPO_ROOT / "policy" / "en-US" / "Horvane.adml").getroot()
    assert admx.tag == f"{{{POLICY_NS['p']}}}policyDefinitions" and adml.tag == f"{{{POLICY_NS['p']}}}policyDefinitionResources"
    strings = {s.get("id") for s in adml.iterfind("p:resources/p:stringTable/p:string", POLICY_NS)}
    presentations = {p.get("id"): p for p in adml.iterfind("p:resources/p:presentationTable/p:presentation", POLICY_NS)}
    categories = list(admx.iterfind("p:categories/p:category", POLICY_NS))
    supported = list(admx.iterfind("p:supportedOn/p:definitions/p:definition", POLICY_NS))

    def string_ref(text, kind="string"):
        match = re.fullmatch(rf"\$\({kind}\.(\w+)\)", text or "")
        assert match, f"{text!r} is not a $({kind}.…) reference"
        return match.group(1)

    assert all(string_ref(element.get("displayName")) in strings for element in categories + supported)
    written = set()
    for policy in admx.iterfind("p:policies/p:policy", POLICY_NS):
        name, key = policy.get("name"), policy.get("key")
        assert policy.get("class") == "Machine", name
        assert {string_ref(policy.get("displayName")), string_ref(policy.get("explainText"))} <= strings, name
        assert policy.find("p:parentCategory", POLICY_NS).get("ref") in {c.get("name") for c in categories}, name
        assert policy.find("p:supportedOn", POLICY_NS).get("ref") in {d.get("name") for d in supported}, name
        if policy.get("valueName"):
            written.add((key, policy.get("valueName")))
        elements = list(policy.iterfind("p:elements/*", POLICY_NS))
        assert elements or policy.get("valueName"), f"{name} writes nothing"
        if elements:
            shown = presentations[string_ref(policy.get("presentation"), "presentation")]
            assert {e.get("id") for e in elements} == {c.get("refId") for c in shown}, name
        written |= {(element.get("key", key), element.get("valueName")) for element in elements}
    # Every policy value, from the constants the code reads them by.
    program, service = code_constants("settings/Policy.h"), code_constants("timeservice/ServiceConfig.h")
    read = {(program["kPolicyKey"], value) for name, value in program.items() if name.endswith("Value")}
    read |= {(service["kServicePolicyKey"], service[name]) for name in ("kApprovedServersValue", "kMaxCorrectionValue")}
    assert written == read
