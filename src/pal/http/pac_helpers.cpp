// The helper functions a proxy script may call, apart from dnsResolve and
// myIpAddress, which are native (pac_script.cpp). Written in the script's own
// language so they behave the same whatever the caller passes.
#include "pal/http/pac_script.h"

namespace pal::http {

const char* const kPacHelperFunctions = R"js(
function isPlainHostName(host) {
    return String(host).indexOf('.') < 0;
}
function dnsDomainIs(host, domain) {
    host = String(host);
    domain = String(domain);
    return host.length >= domain.length && host.substring(host.length - domain.length) === domain;
}
function localHostOrDomainIs(host, hostdom) {
    host = String(host);
    hostdom = String(hostdom);
    return host === hostdom || (host.indexOf('.') < 0 && hostdom.indexOf(host + '.') === 0);
}
function isResolvable(host) {
    return dnsResolve(host) !== null;
}
function dnsDomainLevels(host) {
    return String(host).split('.').length - 1;
}
function __pacIpv4(text) {
    var parts = /^(\d{1,3})\.(\d{1,3})\.(\d{1,3})\.(\d{1,3})$/.exec(String(text));
    if (!parts) return null;
    var value = 0;
    for (var i = 1; i <= 4; i++) {
        var part = Number(parts[i]);
        if (part > 255) return null;
        value = value * 256 + part;
    }
    return value;
}
function isInNet(host, pattern, mask) {
    var address = __pacIpv4(host);
    if (address === null) {
        var resolved = dnsResolve(host);
        if (resolved === null) return false;
        address = __pacIpv4(resolved);
    }
    var net = __pacIpv4(pattern), bits = __pacIpv4(mask);
    if (address === null || net === null || bits === null) return false;
    return ((address & bits) >>> 0) === ((net & bits) >>> 0);
}
function shExpMatch(text, pattern) {
    var expression = String(pattern).replace(/[.+^${}()|[\]\\]/g, '\\$&').replace(/\*/g, '.*').replace(/\?/g, '.');
    return new RegExp('^' + expression + '$').test(String(text));
}
var __pacDays = ['SUN', 'MON', 'TUE', 'WED', 'THU', 'FRI', 'SAT'];
var __pacMonths = ['JAN', 'FEB', 'MAR', 'APR', 'MAY', 'JUN', 'JUL', 'AUG', 'SEP', 'OCT', 'NOV', 'DEC'];
// The arguments without a trailing "GMT", and whether it was there.
function __pacArguments(args) {
    var list = Array.prototype.slice.call(args);
    var gmt = list.length > 0 && list[list.length - 1] === 'GMT';
    if (gmt) list.pop();
    return { list: list, gmt: gmt };
}
// lower <= value <= upper, where a range with lower above upper wraps around.
function __pacInRange(value, lower, upper) {
    return lower <= upper ? lower <= value && value <= upper : value >= lower || value <= upper;
}
function weekdayRange() {
    var a = __pacArguments(arguments);
    if (a.list.length < 1 || a.list.length > 2) return false;
    var first = __pacDays.indexOf(a.list[0]);
    var last = a.list.length === 2 ? __pacDays.indexOf(a.list[1]) : first;
    if (first < 0 || last < 0) return false;
    var now = new Date();
    return __pacInRange(a.gmt ? now.getUTCDay() : now.getDay(), first, last);
}
function dateRange() {
    var a = __pacArguments(arguments);
    var n = a.list.length;
    if (n !== 1 && n !== 2 && n !== 4 && n !== 6) return false;
    var now = new Date();
    var current = {
        year: a.gmt ? now.getUTCFullYear() : now.getFullYear(),
        month: a.gmt ? now.getUTCMonth() : now.getMonth(),
        day: a.gmt ? now.getUTCDate() : now.getDate()
    };
    var parts = [];
    for (var i = 0; i < n; i++) {
        var value = a.list[i];
        if (typeof value === 'string') {
            var month = __pacMonths.indexOf(value);
            if (month < 0) return false;
            parts.push({ kind: 'month', value: month });
        } else {
            parts.push({ kind: Number(value) > 31 ? 'year' : 'day', value: Number(value) });
        }
    }
    if (n === 1) return current[parts[0].kind] === parts[0].value;
    var half = n / 2;
    var lower = 0, upper = 0, value = 0, hasYear = false;
    var weights = { year: 10000, month: 100, day: 1 };
    for (var j = 0; j < half; j++) {
        var kind = parts[j].kind;
        if (parts[half + j].kind !== kind) return false;
        hasYear = hasYear || kind === 'year';
        lower += parts[j].value * weights[kind];
        upper += parts[half + j].value * weights[kind];
        value += current[kind] * weights[kind];
    }
    return hasYear ? lower <= value && value <= upper : __pacInRange(value, lower, upper);
}
function timeRange() {
    var a = __pacArguments(arguments);
    var n = a.list.length;
    var now = new Date();
    var hour = a.gmt ? now.getUTCHours() : now.getHours();
    var minute = a.gmt ? now.getUTCMinutes() : now.getMinutes();
    var second = a.gmt ? now.getUTCSeconds() : now.getSeconds();
    var v = a.list.map(Number);
    if (n === 1) return hour === v[0];
    if (n === 2) return __pacInRange(hour, v[0], v[1]);
    var current = hour * 3600 + minute * 60 + second;
    if (n === 4) return __pacInRange(current, v[0] * 3600 + v[1] * 60, v[2] * 3600 + v[3] * 60 + 59);
    if (n === 6) return __pacInRange(current, v[0] * 3600 + v[1] * 60 + v[2], v[3] * 3600 + v[4] * 60 + v[5]);
    return false;
}
)js";

} // namespace pal::http
