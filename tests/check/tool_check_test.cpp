// The descriptor check against broken descriptors, each one fault away from
// a sound one: the one finding it gives, where, and the text it quotes.
#include <gtest/gtest.h>

#include <math.h>
#include <stdio.h>

#include <string>

#include "check/tool_check.h"

namespace {

// Keys of the inputs past the third, "x3" onwards.
char spare_keys[TOOL_MAX_INPUTS + 1][8];

// A sound tool (the Glyvant descriptor's shape, or a nurse rota report) whose
// records a case may change. It points into itself: built in place.
struct Descriptor {
    InputDef inputs[TOOL_MAX_INPUTS + 1];
    InputChoice choices[TOOL_MAX_CHOICES + 1] = {{L"少", 60}, {L"多", 120}};
    OutputDef outputs[2] = {
        {.key = "units", .label = L"U", .unit = L"U", .formula = "carbs/icr", .format = "f1"},
        {.key = "ml", .label = L"ml", .unit = L"ml", .formula = "units/conc", .format = "trim2"},
    };
    RuleDef rules[2] = {
        {.condition = "units>20", .level = 2, .message = L"大"},
        {.condition = "", .level = 0, .message = L"完成"},
    };
    ToolDef tool = {.id = 9, .title = L"T", .category = L"C", .basis = L"B", .input_count = 3,
                    .inputs = inputs, .output_count = 2, .outputs = outputs, .rule_count = 2,
                    .rules = rules, .headline = "units"};

    explicit Descriptor(bool report) {
        inputs[0] = {.key = "carbs", .label = L"a", .unit = L"g", .default_value = 60};
        inputs[1] = {.key = "icr", .label = L"b", .unit = L"g/U", .default_value = 10};
        inputs[2] = {.key = "conc", .label = L"c", .unit = L"U/ml", .default_value = 100};
        for (int i = 3; i <= TOOL_MAX_INPUTS; i++) {
            snprintf(spare_keys[i], sizeof spare_keys[i], "x%d", i);
            inputs[i] = {.key = spare_keys[i]};
        }
        if (report) {
            inputs[0].key = "nurses";
            inputs[1].key = "days";
            tool.input_count = 2;
            tool.output_count = tool.rule_count = 0;
            tool.report_kind = REPORT_NURSE_ROTA;
        }
    }
    Descriptor(const Descriptor&) = delete;
};

std::string findings_of(const ToolDef& tool) {
    CheckFinding findings[8];
    int count = tool_check(tool, findings, 8);
    std::string text;
    for (int i = 0; i < count && i < 8; i++)
        text += std::string(findings[i].where) +
                (findings[i].severity == CHECK_ERROR ? " error: " : " warning: ") + findings[i].what +
                "\n";
    return text;
}

TEST(ToolCheck, EachFaultOfADescriptorIsNamedWhereItIs) {
    struct Case {
        bool report;
        void (*fault)(Descriptor&);
        const char* finding;
    };
    static const char* long_key_text =
        "k234567890123456789012345678901234567890123456789012345678901234";
    const Case cases[] = {
        {false, [](Descriptor&) {}, ""},
        {true, [](Descriptor&) {}, ""},
        // Formulas and conditions that no input can make work.
        {false, [](Descriptor& d) { d.outputs[1].formula = "units/(conc"; },
         "outputs[1].formula error: \")\" is expected after \"units/(conc\" in \"units/(conc\"\n"},
        {false, [](Descriptor& d) { d.outputs[0].formula = "carbs/ "; },
         "outputs[0].formula error: an operand is expected after \"carbs/ \" in \"carbs/ \"\n"},
        {false, [](Descriptor& d) { d.outputs[0].formula = "carbs**2"; },
         "outputs[0].formula error: text is left over after \"carbs\": \"**2\"\n"},
        {false, [](Descriptor& d) { d.rules[0].condition = "units>20 ? 1"; },
         "rules[0].condition error: \":\" is expected after \"units>20 ? 1\" in \"units>20 ? 1\"\n"},
        {false, [](Descriptor& d) { d.outputs[0].formula = "sqr(carbs)/icr"; },
         "outputs[0].formula error: \"sqr\" is not a function, in \"sqr(carbs)/icr\"\n"},
        {false, [](Descriptor& d) { d.outputs[0].formula = "max(carbs/icr)"; },
         "outputs[0].formula error: \"max\" takes 2 arguments, in \"max(carbs/icr)\"\n"},
        // Read past the division, which all values 0 make a division by zero.
        {false, [](Descriptor& d) { d.rules[0].condition = "carbs/icr*unts>2"; },
         "rules[0].condition error: \"unts\" is neither an input nor an output key, in "
         "\"carbs/icr*unts>2\"\n"},
        {false, [](Descriptor& d) { d.outputs[1].formula = "ml/conc"; },
         "outputs[1].formula error: reads \"ml\", its own output (it would read 0), in \"ml/conc\"\n"},
        {false, [](Descriptor& d) { d.outputs[0].formula = "ml*conc/icr"; },
         "outputs[0].formula error: reads \"ml\", a later output (it would read 0), in \"ml*conc/icr\"\n"},
        {false, [](Descriptor& d) { d.outputs[0].formula = nullptr; }, "outputs[0].formula error: absent\n"},
        // Fields outside what the program knows.
        {false, [](Descriptor& d) { d.outputs[1].format = "f4"; },
         "outputs[1].format error: \"f4\" is not a format code (f0 f1 f2 f3 int pct date trim2)\n"},
        {false, [](Descriptor& d) { d.rules[1].level = 4; }, "rules[1].level error: 4 is outside 0 to 3\n"},
        {false, [](Descriptor& d) { d.rules[1].reassess_hours = -2; },
         "rules[1].reassess_hours error: -2 is no interval: hours up to a year, 0 or -1\n"},
        {false, [](Descriptor& d) { d.rules[1].reassess_hours = 24; },
         "rules[1].reassess_hours warning: ignored: only an assessment is reassessed\n"},
        {false, [](Descriptor& d) { d.rules[0].message = nullptr; }, "rules[0].message error: absent\n"},
        {false, [](Descriptor& d) { d.tool.report_kind = 12; },
         "report_kind error: 12 is not a report kind (0 to 11)\n"},
        {false, [](Descriptor& d) { d.tool.title = nullptr; }, "title error: absent\n"},
        // Keys.
        {true, [](Descriptor& d) { d.inputs[1].key = nullptr; },
         "inputs[1].key error: absent\n"
         "inputs warning: no input \"days\", which report kind 1 reads (it then uses its default)\n"},
        {false, [](Descriptor& d) { d.inputs[2].key = "2x"; },
         "inputs[2].key error: \"2x\" is not an identifier (a letter or \"_\", then letters, digits or \"_\")\n"
         "outputs[1].formula error: \"conc\" is neither an input nor an output key, in \"units/conc\"\n"},
        {true, [](Descriptor& d) { d.inputs[1].key = long_key_text; },
         "inputs[1].key error: \"k234567890123456789012345678901234567890123456789012345678901234\" "
         "is longer than 63 characters\n"
         "inputs warning: no input \"days\", which report kind 1 reads (it then uses its default)\n"},
        {false, [](Descriptor& d) { d.outputs[1].key = "icr"; },
         "outputs[1].key error: \"icr\" is already the key of inputs[1]\n"},
        {false, [](Descriptor& d) { d.inputs[2].key = "carbs"; },
         "inputs[2].key error: \"carbs\" is already the key of inputs[0]\n"
         "outputs[1].formula error: \"conc\" is neither an input nor an output key, in \"units/conc\"\n"},
        // Lists.
        {false, [](Descriptor& d) { d.inputs[0].choices = d.choices, d.inputs[0].choice_count = 2; }, ""},
        {false, [](Descriptor& d) { d.inputs[0].choices = d.choices, d.inputs[0].choice_count = 1; },
         "inputs[0].choice_count error: 1, not 2 to 12 options\n"},
        {false, [](Descriptor& d) { d.inputs[0].choices = nullptr, d.inputs[0].choice_count = 2; },
         "inputs[0].choices error: absent, though choice_count is 2\n"},
        {false, [](Descriptor& d) {
             d.inputs[0].choices = d.choices, d.inputs[0].choice_count = 2, d.choices[1] = {L"少", NAN};
         },
         "inputs[0].choices[1].value error: not a finite number\n"
         "inputs[0].choices[1].label error: the same as choices[0].label\n"},
        {false, [](Descriptor& d) {
             d.inputs[0].choices = d.choices, d.inputs[0].choice_count = 2, d.choices[1] = {nullptr, 60};
         },
         "inputs[0].choices[1].label error: absent\n"
         "inputs[0].choices[1].value error: 60, already the value of choices[0] (a value must name one option)\n"},
        {false, [](Descriptor& d) {
             d.inputs[0].choices = d.choices, d.inputs[0].choice_count = 2, d.inputs[0].default_value = 0;
         },
         "inputs[0].default_value error: 0 is the value of no option\n"},
        // Limits.
        {false, [](Descriptor& d) { d.inputs[0].min = 0, d.inputs[0].max = 300, d.inputs[0].decimals = 1; }, ""},
        {false, [](Descriptor& d) { d.inputs[0].min = 300, d.inputs[0].max = 300; },
         "inputs[0].min error: 300 is not below max 300\n"},
        {false, [](Descriptor& d) { d.inputs[0].decimals = 4; }, "inputs[0].decimals error: 4, not 0 to 3\n"},
        {false, [](Descriptor& d) { d.inputs[0].max = 50; }, "inputs[0].default_value error: 60 is outside -inf to 50\n"},
        {false, [](Descriptor& d) { d.inputs[1].decimals = 0, d.inputs[1].default_value = 10.5; },
         "inputs[1].default_value error: 10.5 has more than 0 decimals\n"},
        {false, [](Descriptor& d) { d.inputs[0].choices = d.choices, d.inputs[0].choice_count = 2, d.inputs[0].min = 0; },
         "inputs[0] error: a list takes no min, max or decimals: its options are its values\n"},
        {false, [](Descriptor& d) { d.rules[0].message = L"单次餐时剂量较大，建议复核对碳水与比值；单次餐时剂量较大，建议复核对碳水与比值；单次餐时剂量较大"; },
         "rules[0].message error: takes 3 lines of the verdict box, which shows 2: shorten it\n"},
        // A box: points to give, nothing to choose, unchecked at start.
        {false, [](Descriptor& d) { d.tool.input_count = 4, d.inputs[3] = {.key = "x3", .box = true, .points = 2}; }, ""},
        {false, [](Descriptor& d) { d.tool.input_count = 4, d.inputs[3] = {.key = "x3", .default_value = 2, .box = true, .points = INFINITY}; },
         "inputs[3].points error: inf: a box is worth a finite number of points above 0\n"
         "inputs[3].default_value error: 2: a box starts unchecked, at 0\n"},
        {false, [](Descriptor& d) { d.tool.input_count = 4, d.inputs[3] = {.key = "x3", .choices = d.choices, .choice_count = 2, .box = true, .points = 1}; },
         "inputs[3].default_value error: 0 is the value of no option\n"
         "inputs[3] error: a box takes no options: checked, it is worth its points\n"},
        // Counts and records.
        {false, [](Descriptor& d) { d.tool.input_count = TOOL_MAX_INPUTS; }, ""},
        {false, [](Descriptor& d) { d.tool.input_count = TOOL_MAX_INPUTS + 1; },
         "input_count error: 49, more than the 48 inputs the program holds\n"},
        {false, [](Descriptor& d) { d.tool.output_count = -1; },
         "output_count error: -1 is negative\n"
         "rules[0].condition error: \"units\" is neither an input nor an output key, in \"units>20\"\n"},
        {false, [](Descriptor& d) { d.tool.rules = nullptr; },
         "rules error: absent, though rule_count is 2\n"
         "rules warning: no rule has an empty condition: when none holds, the fallback verdict shows\n"},
        // Warnings: legal, usually a slip.
        {true, [](Descriptor& d) { d.inputs[1].key = "day"; },
         "inputs warning: no input \"days\", which report kind 1 reads (it then uses its default)\n"},
        {true, [](Descriptor& d) { d.tool.output_count = 2; },
         "outputs warning: 2 outputs are ignored: a report tool shows its report\n"},
        {false, [](Descriptor& d) { d.rules[0] = d.rules[1], d.rules[1].condition = "units>20"; },
         "rules[1] warning: never reached: rules[0] before it has an empty condition\n"},
        {false, [](Descriptor& d) { d.tool.rule_count = 1; },
         "rules warning: no rule has an empty condition: when none holds, the fallback verdict shows\n"},
        // A list asked only on a condition of the inputs above it, with a
        // text for when it is not.
        {false, [](Descriptor& d) { d.inputs[1] = {.key = "icr", .default_value = 60, .choices = d.choices, .choice_count = 2, .asked_when = "carbs > 50", .unasked_value = 60}; }, ""},
        {false, [](Descriptor& d) { d.inputs[1].asked_when = "carbs > 50"; },
         "inputs[1].asked_when error: only a list is asked when a condition holds\n"},
        {false, [](Descriptor& d) { d.inputs[1] = {.key = "icr", .default_value = 60, .choices = d.choices, .choice_count = 2, .asked_when = "conc > 50", .unasked_value = 9}; },
         "inputs[1].asked_when error: reads \"conc\", which is not an input above this one, in \"conc > 50\"\n"
         "inputs[1].unasked_label error: absent, and 9 is the value of no option: say what stands for the list when it is not asked\n"},
        // A rule that withholds an output, and the level of a call to the doctor now.
        {false, [](Descriptor& d) { d.rules[0].withholds = "ml", d.rules[0].withheld_reason = L"按 {carbs} g 不抽取"; }, ""},
        {false, [](Descriptor& d) { d.rules[0].withholds = "mls"; },
         "rules[0].withholds error: \"mls\" is no output's key\n"
         "rules[0].withheld_reason error: absent: say why the output does not apply\n"},
        {false, [](Descriptor& d) { d.rules[0].withholds = "ml", d.rules[0].withheld_reason = L"按 {carb} g"; },
         "rules[0].withheld_reason error: {carb} names no input\n"},
        {false, [](Descriptor& d) { d.rules[0].message = L"剂量大：立即通知医师"; },
         "rules[0].level error: 2, but the message calls the doctor now: 3\n"},
        // The output that stands for the result.
        {false, [](Descriptor& d) { d.tool.headline = nullptr; },
         "headline error: absent: name the output that stands for the result (a scale's total)\n"},
        {false, [](Descriptor& d) { d.tool.headline = "unit"; },
         "headline error: \"unit\" is no output's key: name the output that stands for the result\n"},
        {false, [](Descriptor& d) { d.outputs[1].key = "log"; },
         "outputs[1].key warning: \"log\" is also the name of a built-in function\n"},
    };
    for (const Case& c : cases) {
        Descriptor d(c.report);
        c.fault(d);
        EXPECT_EQ(findings_of(d.tool), c.finding);
    }
}

}  // namespace
