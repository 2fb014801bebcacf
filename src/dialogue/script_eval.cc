// dialogue/script_eval.cc: expressions, statements, built-in functions and calls, evaluated while
// they are parsed; untaken code is parsed in skipping mode, which evaluates nothing.
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "dialogue/dlgopen.h"
#include "dialogue/script_eval.h"
#include "toolkit/dialog.h"
#include "toolkit/toolkit.h"

void (*scriptReport)(const std::string& text) = [](const std::string& text) {
    WAlert(text.c_str());
};

long scriptStepLimit = -1;

namespace {

struct SkipGuard {
    TokenStream& ts;
    bool saved;
    SkipGuard(TokenStream& t, bool skip) : ts(t), saved(t.skipping) { ts.skipping = skip; }
    ~SkipGuard() { ts.skipping = saved; }
};

int32_t wrapAdd(int32_t a, int32_t b, int sign) {
    return (int32_t)((uint32_t)a + (sign > 0 ? (uint32_t)b : 0u - (uint32_t)b));
}

struct Interp {
    ScriptRun& run;
    ScriptFrame& frame;
    TokenStream& ts;

    Interp(ScriptRun& r, ScriptFrame& f) : run(r), frame(f), ts(f.ts) {}

    bool skip() const { return ts.skipping; }

    void step() {
        if (scriptStepLimit >= 0 && ++run.steps > scriptStepLimit)
            ts.error("Script ran too long (more than %ld loop passes and calls)", scriptStepLimit);
    }

    struct Nest {
        Interp& in;
        explicit Nest(Interp& i) : in(i) {
            if (++in.run.nesting > SCRIPT_MAX_NESTING) {
                in.run.nesting--;
                in.ts.error("Script nested too deeply (more than %d levels)", SCRIPT_MAX_NESTING);
            }
        }
        ~Nest() { in.run.nesting--; }
    };

    [[noreturn]] void expectedOperand() {
        if (ts.kind == TK_STRING)
            ts.error("Expected %s got %s%s%s", "expression", "\"", ts.name.c_str(), "\"");
        ts.error("Expected %s got %s%s%s", "expression", "", TokenName(ts.kind).c_str(), "");
    }

    // ---- expressions ----

    // An expression; out (when given) gets the place of a bare operand.
    ScriptValue expr(ScriptPlace* out = nullptr) {
        Nest n(*this);
        ScriptPlace place;
        ScriptValue v = unary(&place);
        if (ts.kind == '=') {
            if (place.kind == ScriptPlace::NONE && !skip())
                ts.error("Can not assign into this subexpression");
            ts.next();
            ScriptValue rhs = expr();
            if (!skip()) assign(place, rhs);
            return rhs;
        }
        if (place.kind == ScriptPlace::VAR && !place.known && !skip())
            ts.error("Unknown variable name: %s", place.var.c_str());
        undefer(place, v);
        size_t before = ts.prevEnd;
        ScriptValue r = condFrom(std::move(v));
        if (out && ts.prevEnd == before) *out = place;
        return r;
    }

    ScriptValue condFrom(ScriptValue left) {
        ScriptValue c = boolFrom(std::move(left));
        if (ts.kind != '?') return c;
        if (!skip() && !c.isInt) ts.error("First argument to ?: operator must be integral");
        ts.next();
        bool first = !skip() && c.i != 0;
        ScriptValue a, b;
        {
            SkipGuard g(ts, skip() || !first);
            a = expr();
        }
        ts.check(':');
        {
            SkipGuard g(ts, skip() || first);
            b = condFrom(unary(nullptr));
        }
        return first ? a : b;
    }

    ScriptValue boolFrom(ScriptValue left) {
        ScriptValue l = relFrom(std::move(left));
        while (ts.kind == TK_AND || ts.kind == TK_OR) {
            bool isAnd = ts.kind == TK_AND;
            if (!skip() && !l.isInt) ts.error("Boolean operators may only be applied to numbers");
            ts.next();
            bool decided = !skip() && (isAnd ? l.i == 0 : l.i != 0);
            ScriptValue r;
            {
                SkipGuard g(ts, skip() || decided);
                r = relFrom(unary(nullptr));
            }
            if (skip()) continue;
            if (decided) {
                l = ScriptValue::Int(isAnd ? 0 : 1);
                continue;
            }
            if (!r.isInt) ts.error("Boolean operators may only be applied to numbers");
            l = ScriptValue::Int(r.i != 0);
        }
        return l;
    }

    ScriptValue relFrom(ScriptValue left) {
        ScriptValue l = addFrom(std::move(left));
        for (;;) {
            int op = ts.kind;
            if (op != TK_EQ && op != TK_NE && op != '<' && op != '>' && op != TK_LE && op != TK_GE)
                return l;
            ts.next();
            ScriptValue r = addFrom(unary(nullptr));
            if (skip()) continue;
            int cmp;
            if (l.isInt != r.isInt) {
                if (op == TK_EQ || op == TK_NE) {
                    l = ScriptValue::Int(op == TK_NE);
                    continue;
                }
                ts.error("Type mismatch in relational operator");
            }
            if (l.isInt)
                cmp = l.i < r.i ? -1 : l.i > r.i;
            else
                cmp = l.s.compare(r.s);
            bool t = op == TK_EQ ? cmp == 0 : op == TK_NE ? cmp != 0 : op == '<' ? cmp < 0
                   : op == '>' ? cmp > 0 : op == TK_LE ? cmp <= 0 : cmp >= 0;
            l = ScriptValue::Int(t);
        }
    }

    ScriptValue addFrom(ScriptValue left) {
        ScriptValue l = mulFrom(std::move(left));
        while (ts.kind == '+' || ts.kind == '-') {
            int op = ts.kind;
            ts.next();
            ScriptValue r = mulFrom(unary(nullptr));
            if (skip()) continue;
            if (!l.isInt || !r.isInt) ts.error("%c may only be applied to numbers", op);
            l.i = wrapAdd(l.i, r.i, op == '+' ? 1 : -1);
        }
        return l;
    }

    ScriptValue mulFrom(ScriptValue l) {
        while (ts.kind == '*' || ts.kind == '/' || ts.kind == '%' || ts.kind == '|') {
            int op = ts.kind;
            ts.next();
            ScriptValue r = unary(nullptr);
            if (skip()) continue;
            if (op == '|') {
                if (l.isInt || r.isInt) ts.error("Concatenate may only be applied to strings");
                l.s += r.s;
                continue;
            }
            if (!l.isInt || !r.isInt) ts.error("%c may only be applied to numbers", op);
            if (op == '*') {
                l.i = (int32_t)((uint32_t)l.i * (uint32_t)r.i);
                continue;
            }
            if (r.i == 0) ts.error("Division by 0");
            if (l.i == INT32_MIN && r.i == -1)
                l.i = op == '/' ? INT32_MIN : 0; // the one quotient that does not fit
            else
                l.i = op == '/' ? l.i / r.i : l.i % r.i;
        }
        return l;
    }

    ScriptValue unary(ScriptPlace* place) {
        int minus = 0, nots = 0;
        while (ts.kind == '-') {
            minus++;
            ts.next();
        }
        while (ts.kind == '!') {
            nots++;
            ts.next();
        }
        bool prefixed = minus || nots;
        ScriptValue v = operand(prefixed ? nullptr : place);
        if (prefixed && !skip()) {
            if (!v.isInt)
                ts.error(nots ? "Not may only be applied to numbers"
                              : "Negate may only be applied to numbers");
            if (nots) v.i = nots % 2 ? v.i == 0 : v.i != 0;
            if (minus % 2) v.i = (int32_t)(0u - (uint32_t)v.i);
        }
        return v;
    }

    ScriptValue operand(ScriptPlace* place) {
        ScriptValue v;
        ScriptPlace local;
        ScriptPlace* p = place ? place : &local;
        switch (ts.kind) {
        case TK_NUMBER:
            v = ScriptValue::Int(ts.number);
            ts.next();
            break;
        case TK_STRING:
            v = ScriptValue::Str(ts.name);
            ts.next();
            break;
        case '(':
            ts.next();
            v = expr();
            ts.check(')');
            break;
        case TK_NAME: {
            p->kind = ScriptPlace::VAR;
            p->var = ts.name;
            ts.next();
            ScriptValue* var = LookupVar(p->var.c_str());
            p->known = var != nullptr;
            if (var) v = *var;
            // An unknown name is an error unless it is about to be assigned (expr decides).
            if (!var && !place && !skip()) ts.error("Unknown variable name: %s", p->var.c_str());
            break;
        }
        case '%':
            ts.next();
            if (ts.kind == '%') {
                ts.next();
                v = widgetRef(*p, place != nullptr);
                break;
            }
            v = numberedArgument(*p, ScriptPlace::PLACER);
            break;
        case '#':
            ts.next();
            v = numberedArgument(*p, ScriptPlace::CALLARG);
            break;
        case TK_KEYWORD:
            v = builtin(*p);
            break;
        default:
            expectedOperand();
        }
        while (ts.kind == '(') {
            undefer(*p, v);
            if (p->kind == ScriptPlace::VAR && !p->known && !skip())
                ts.error("Unknown variable name: %s", p->var.c_str());
            v = call(v, p->kind == ScriptPlace::VAR ? p->var : std::string());
            p->kind = ScriptPlace::NONE;
        }
        return v;
    }

    // After "%%": a widget name or number, "." and a qualifier, "(" and an index.
    ScriptValue widgetRef(ScriptPlace& p, bool defer) {
        p.kind = ScriptPlace::WIDGET;
        p.deferred = false;
        Widget* w = nullptr;
        if (ts.kind == TK_NUMBER) {
            int n = ts.number;
            ts.next();
            if (!skip() && !(w = ScriptWidgetByNumber(run.dialog, n)))
                ts.error("Widget number out of range");
        } else if (ts.kind == TK_NAME || ts.kind == TK_KEYWORD) {
            std::string name = ts.name;
            ts.next();
            if (!skip() && !(w = ScriptWidgetByName(run.dialog, name)))
                ts.error("Widget name not found");
        } else {
            ts.check(TK_NAME);
        }
        p.widget = w;
        p.qualifier = KW_NONE;
        if (ts.kind == '.') {
            ts.next();
            int k = ts.kind == TK_KEYWORD ? ts.keyword : KW_NONE;
            bool ok = k == KW_SEL || k == KW_VAL || k == KW_SET || k == KW_LOAD || k == KW_SAVE ||
                      (k == KW_LENGTH && ts.name == "len");
            if (!ok) ts.error("Expected one of len, val, sel, set after `.' in widget spec");
            p.qualifier = k;
            ts.next();
        }
        p.hasIndex = false;
        if (ts.kind == '(') {
            ts.next();
            p.indexValue = expr();
            ts.check(')');
            p.hasIndex = true;
        }
        if (skip()) return ScriptValue::Int(0);
        if (defer) {
            p.deferred = true;
            return ScriptValue::Int(0);
        }
        return ScriptWidgetValue(ts, p);
    }

    // A widget reference read only once it is clear that it is not being assigned.
    void undefer(ScriptPlace& p, ScriptValue& v) {
        if (p.kind == ScriptPlace::WIDGET && p.deferred) {
            p.deferred = false;
            v = ScriptWidgetValue(ts, p);
        }
    }

    // %N and #N: N = 0 is their count.
    ScriptValue numberedArgument(ScriptPlace& p, ScriptPlace::Kind kind) {
        if (ts.kind != TK_NUMBER) ts.check(TK_NUMBER);
        int n = ts.number;
        ts.next();
        p.kind = kind;
        p.index = n;
        if (skip()) return ScriptValue::Int(0);
        if (kind == ScriptPlace::PLACER) {
            std::vector<std::string> none;
            const std::vector<std::string>& args = run.dialog ? run.dialog->args : none;
            if (n == 0) return ScriptValue::Int((int32_t)args.size());
            if (n < 0 || n > (int)args.size())
                ts.error("There is no placer argument %%%d (the dialogue has %d)", n,
                         (int)args.size());
            return ScriptValue::Str(args[(size_t)n - 1]);
        }
        if (n == 0) return ScriptValue::Int((int32_t)frame.args.size());
        if (n < 0 || n > (int)frame.args.size())
            ts.error("There is no call argument #%d (the call has %d)", n, (int)frame.args.size());
        return frame.args[(size_t)n - 1];
    }

    std::vector<ScriptValue> arguments() {
        std::vector<ScriptValue> args;
        ts.check('(');
        if (ts.kind != ')') {
            for (;;) {
                args.push_back(expr());
                if (ts.kind != ',') break;
                ts.next();
            }
        }
        ts.check(')');
        return args;
    }

    ScriptValue call(const ScriptValue& fn, const std::string& name) {
        std::vector<ScriptValue> args = arguments();
        if (skip()) return ScriptValue::Int(0);
        if (fn.isInt) ts.error("Can not call a number");
        step();
        if (run.depth >= SCRIPT_MAX_DEPTH)
            ts.error("Function calls nested too deeply (more than %d)", SCRIPT_MAX_DEPTH);
        // A copy: the function may assign to its own variable while it runs.
        std::string code = fn.s;
        ScriptFrame callee;
        callee.args = std::move(args);
        run.depth++;
        struct Back {
            int& d;
            ~Back() { d--; }
        } back{run.depth};
        callee.ts.open(code.data(), code.size(), name.empty() ? ts.sourceName : name, false);
        Interp in(run, callee);
        in.statements(false);
        return callee.result;
    }

    // ---- built-in functions ----

    ScriptValue builtin(ScriptPlace& p) {
        int kw = ts.keyword;
        switch (kw) {
        case KW_SUBSTR: return substr(p);
        case KW_LENGTH: {
            ts.next();
            std::vector<ScriptValue> a = arguments();
            if (skip()) return ScriptValue::Int(0);
            if (a.size() != 1 || a[0].isInt) ts.error("Bad argument to length()");
            return ScriptValue::Int((int32_t)a[0].s.size());
        }
        case KW_INDEX:
        case KW_RINDEX: {
            ts.next();
            std::vector<ScriptValue> a = arguments();
            if (skip()) return ScriptValue::Int(0);
            if (a.size() != 2 || a[0].isInt || a[1].isInt)
                ts.error(kw == KW_INDEX ? "Bad argument to index()" : "Bad argument to rindex()");
            size_t at = kw == KW_INDEX ? a[0].s.find(a[1].s) : a[0].s.rfind(a[1].s);
            return ScriptValue::Int(at == std::string::npos ? -1 : (int32_t)at);
        }
        case KW_TEXT: {
            ts.next();
            std::vector<ScriptValue> a = arguments();
            if (skip()) return ScriptValue::Str("");
            if (a.size() != 1) ts.error("Bad argument to text()");
            return a[0].isInt ? ScriptValue::Str(std::to_string(a[0].i)) : a[0];
        }
        case KW_NUMBER: {
            ts.next();
            std::vector<ScriptValue> a = arguments();
            if (skip()) return ScriptValue::Int(0);
            if (a.size() != 1) ts.error("Bad argument to number()");
            if (a[0].isInt) return a[0];
            const char* s = a[0].s.c_str();
            char* end = nullptr;
            errno = 0;
            long long n = strtoll(s, &end, 0);
            if (!*s || *end || a[0].s.size() != strlen(s) || isspace((unsigned char)*s))
                ts.error("Non-numeric string in number()");
            return ScriptValue::Int((int32_t)(uint32_t)(unsigned long long)n);
        }
        case KW_CLITEXT: {
            ts.next();
            std::vector<ScriptValue> a = arguments();
            if (skip()) return ScriptValue::Str("");
            if (a.size() != 1) ts.error("Wrong number of arguments to clitext()");
            if (a[0].isInt) ts.error("clitext() must be called with a string");
            ScriptDialog* d = run.dialog;
            std::string out;
            if (!d || !d->text || !d->text(d->arg, a[0].s.c_str(), out))
                ts.error("This cli does not support textual processing");
            return ScriptValue::Str(out);
        }
        case KW_DIALOGUE: {
            ts.next();
            std::vector<ScriptValue> a = arguments();
            if (skip()) return ScriptValue::Int(0);
            if (a.empty()) ts.error("Name missing in dialog box invocation");
            std::vector<std::string> args;
            for (const ScriptValue& v : a) {
                if (v.isInt) ts.error("All arguments to a dialog must be strings");
                args.push_back(v.s);
            }
            std::string name = args[0];
            args.erase(args.begin());
            if (!LookupDlb(name.c_str())) ts.error("There is no dialogue named %s", name.c_str());
            return ScriptValue::Int(OpenDialogue(name.c_str(), args, run.dialog));
        }
        case KW_ACTIVATE: {
            ts.next();
            std::vector<ScriptValue> a = arguments();
            if (skip()) return ScriptValue::Int(0);
            ScriptDialog* d = run.dialog;
            int level = d ? (d->dialog ? d->dialog->level : d->level) : 0;
            if (a.empty()) return ScriptValue::Int(level);
            if (a.size() != 1 || !a[0].isInt) ts.error("activate takes a single, integral argument");
            if (a[0].i < 0 || a[0].i > 31) ts.error("activation level out of bounds");
            if (d) {
                d->level = a[0].i;
                if (d->dialog) WDialogSetLevel(d->dialog, a[0].i);
            }
            return ScriptValue::Int(a[0].i);
        }
        default:
            expectedOperand();
        }
    }

    ScriptValue substr(ScriptPlace& p) {
        ts.next();
        ts.check('(');
        ScriptPlace of;
        ScriptValue s = expr(&of);
        ts.check(',');
        ScriptValue n = expr();
        ts.check(',');
        ScriptValue i = expr();
        ts.check(')');
        if (skip()) return ScriptValue::Str("");
        if (s.isInt || !n.isInt || !i.isInt) ts.error("Bad argument to substring()");
        int64_t len = (int64_t)s.s.size();
        int64_t at = i.i < 0 ? 0 : i.i;
        int64_t count = n.i;
        if (at + count > len) count = len - at;
        if (count < 0) ts.error("Invalid range in substring");
        if (of.kind == ScriptPlace::VAR) {
            p.kind = ScriptPlace::SUBSTR;
            p.var = of.var;
            p.index = (int)at;
            p.count = (int)count;
        }
        return ScriptValue::Str(s.s.substr((size_t)at, (size_t)count));
    }

    void assign(ScriptPlace& p, const ScriptValue& v) {
        switch (p.kind) {
        case ScriptPlace::VAR:
            InsertVar(p.var.c_str(), v);
            return;
        case ScriptPlace::SUBSTR: {
            if (v.isInt) ts.error("You may not assign an integer to a substring");
            ScriptValue* var = LookupVar(p.var.c_str());
            if (!var || var->isInt || (size_t)p.index + (size_t)p.count > var->s.size())
                ts.error("Can not assign into this subexpression");
            var->s.replace((size_t)p.index, (size_t)p.count, v.s);
            return;
        }
        case ScriptPlace::PLACER:
        case ScriptPlace::CALLARG: {
            if (p.index == 0) ts.error("Cannot change number of arguments");
            if (p.kind == ScriptPlace::PLACER) {
                if (v.isInt) ts.error("Placer arguments must be strings");
                run.dialog->args[(size_t)p.index - 1] = v.s;
            } else {
                frame.args[(size_t)p.index - 1] = v;
            }
            return;
        }
        case ScriptPlace::WIDGET:
            ScriptWidgetAssign(ts, p, v);
            return;
        default:
            ts.error("Can not assign into this subexpression");
        }
    }

    // ---- statements ----

    void endOfStatement() {
        if (ts.kind == TK_EOF) return;
        ts.check(';');
    }

    bool atStatementEnd() const { return ts.kind == ';' || ts.kind == TK_EOF || ts.kind == '}'; }

    StmtEnd statements(bool untilBrace) {
        StmtEnd end = ST_NORMAL;
        bool saved = ts.skipping;
        for (;;) {
            if (ts.kind == TK_EOF) {
                if (untilBrace) ts.check('}');
                break;
            }
            if (untilBrace && ts.kind == '}') break;
            StmtEnd e = statement();
            if (e != ST_NORMAL && end == ST_NORMAL) {
                // The rest of the sequence is only stepped over.
                end = e;
                ts.skipping = true;
            }
        }
        ts.skipping = saved;
        return end;
    }

    // The condition of if and elseif: one operand.
    ScriptValue condition(bool evaluate, const char* message) {
        SkipGuard g(ts, skip() || !evaluate);
        ScriptValue c = unary(nullptr);
        if (!skip() && !c.isInt) ts.error("%s", message);
        if (ts.kind == TK_KEYWORD && ts.keyword == KW_THEN) ts.next();
        return c;
    }

    StmtEnd ifStatement() {
        ts.next();
        bool live = !skip();
        ScriptValue c = condition(live, "Integral expression required for if");
        bool taken = live && c.i != 0;
        StmtEnd result = ST_NORMAL;
        {
            SkipGuard g(ts, !taken);
            StmtEnd e = statement();
            if (taken) result = e;
        }
        bool done = taken || !live;
        while (ts.kind == TK_KEYWORD && ts.keyword == KW_ELSEIF) {
            ts.next();
            c = condition(!done, "Integral expression required for if");
            bool t = !done && c.i != 0;
            SkipGuard g(ts, !t);
            StmtEnd e = statement();
            if (t) {
                result = e;
                done = true;
            }
        }
        if (ts.kind == TK_KEYWORD && ts.keyword == KW_ELSE) {
            ts.next();
            SkipGuard g(ts, done);
            StmtEnd e = statement();
            if (!done) result = e;
        }
        return result;
    }

    StmtEnd whileStatement() {
        ts.next();
        if (ts.kind != '(') ts.error("while must be followed by a '('");
        TokenStream::Mark top = ts.mark();
        for (;;) {
            ts.check('(');
            ScriptValue c = expr();
            ts.check(')');
            if (skip()) {
                statement();
                return ST_NORMAL;
            }
            if (!c.isInt) ts.error("Integral expression needed for while statement");
            if (c.i == 0) {
                SkipGuard g(ts, true);
                statement();
                return ST_NORMAL;
            }
            StmtEnd e = statement();
            if (e == ST_BREAK) return ST_NORMAL;
            if (e == ST_RETURN) return e;
            step();
            ts.reset(top);
        }
    }

    StmtEnd statement() {
        Nest n(*this);
        if (ts.kind == '{') {
            ts.next();
            StmtEnd e = statements(true);
            ts.check('}');
            return e;
        }
        if (ts.kind == ';') {
            ts.next();
            return ST_NORMAL;
        }
        if (ts.kind == TK_KEYWORD) {
            switch (ts.keyword) {
            case KW_IF: return ifStatement();
            case KW_WHILE: return whileStatement();
            case KW_BREAK:
                ts.next();
                endOfStatement();
                return skip() ? ST_NORMAL : ST_BREAK;
            case KW_RETURN: {
                ts.next();
                ScriptValue v;
                if (!atStatementEnd()) v = expr();
                endOfStatement();
                if (skip()) return ST_NORMAL;
                frame.result = v;
                return ST_RETURN;
            }
            case KW_DISMISS: {
                ts.next();
                ScriptValue v = ScriptValue::Int(1);
                if (!atStatementEnd()) v = expr();
                if (!skip() && !v.isInt) ts.error("Integer expression expected in dismiss");
                endOfStatement();
                if (skip()) return ST_NORMAL;
                if (run.dialog) {
                    run.dialog->dismissed = true;
                    run.dialog->dismissValue = v.i;
                    if (run.dialog->dialog) WDialogDismiss(run.dialog->dialog, v.i);
                }
                throw ScriptDismiss();
            }
            case KW_CLI: {
                ts.next();
                ScriptValue v = expr();
                if (!skip() && v.isInt) ts.error("Cli must take a string");
                endOfStatement();
                if (!skip() && run.dialog && run.dialog->cli) run.dialog->cli(run.dialog->arg, v.s.c_str());
                return ST_NORMAL;
            }
            case KW_ALERT: {
                ts.next();
                ScriptValue v = expr();
                if (!skip() && v.isInt) ts.error("alert must take a string");
                endOfStatement();
                if (!skip()) WAlert(v.s.c_str());
                return ST_NORMAL;
            }
            default:
                break;
            }
        }
        expr();
        endOfStatement();
        return ST_NORMAL;
    }
};

bool runCode(const char* code, size_t length, const std::string& name, ScriptDialog* dialog,
             std::vector<ScriptValue> args, ScriptValue* result) {
    ScriptRun run;
    run.dialog = dialog;
    ScriptFrame frame;
    frame.args = std::move(args);
    run.frame = &frame;
    ScriptValue r = ScriptValue::Int(0);
    bool ok = true;
    try {
        frame.ts.open(code, length, name, false);
        Interp in(run, frame);
        in.statements(false);
        r = frame.result;
    } catch (const ScriptError& e) {
        scriptReport(e.report);
        ok = false;
    } catch (const ScriptDismiss&) {
        r = ScriptValue::Int(dialog ? dialog->dismissValue : 1);
    }
    if (result) *result = r;
    return ok;
}

} // namespace

bool CallDBProc(const char* name, const std::vector<ScriptValue>& args, ScriptValue* result,
                ScriptDialog* dialog) {
    std::string code = name ? name : "";
    std::string source = dialog && !dialog->name.empty() ? dialog->name : "???";
    if (const ScriptValue* v = LookupVar(code.c_str())) {
        if (v->isInt) {
            if (result) *result = ScriptValue::Int(0);
            scriptReport("Can not call a number\non line 1 in " + code + "\nrest of line: ");
            return false;
        }
        source = code;
        code = v->s;
    }
    return runCode(code.data(), code.size(), source, dialog, args, result);
}

bool InvokeFunc(const char* code, ScriptDialog* dialog, ScriptValue* result) {
    return CallDBProc(code, {}, result, dialog);
}

bool CallParseOn(ScriptDialog* dialog, const char* code, int argc, int arg1, int arg2,
                 ScriptValue* result) {
    std::vector<ScriptValue> args;
    if (argc >= 1) args.push_back(ScriptValue::Int(arg1));
    if (argc >= 2) args.push_back(ScriptValue::Int(arg2));
    return CallDBProc(code, args, result, dialog);
}
