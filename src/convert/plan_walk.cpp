#include "convert/plan_walk.h"

#include "convert/plan_outputs.h"

#include <algorithm>
#include <map>
#include <set>
#include <vector>

namespace {

// Outputs taken so far in one scope -> the input each comes from.
using Owners = std::map<std::string, std::string>;

struct Walker {
    const ConvertOptions &options;
    const ConvertPlan &plan;
    bool second;
    InputIds &ids;
    PlanSink &sink;
    size_t found = 0; // jobs and failures so far, for a folder without documents
    size_t argument = 0;
    Owners given_owners; // outputs of the inputs as given that are files
    // Outputs of files given later that a folder's file takes first.
    std::map<std::string, size_t> given_outputs; // output -> its input's place
    Owners taken_from_given;
    std::vector<std::string> walked_roots; // given folders already walked into -o
    OutputListing listing;
};

const char *extension_of(const Walker &walker) {
    return walker.plan.settings.format->extension;
}

void fail(Walker &walker, const std::string &input, const std::string &reason) {
    ++walker.found;
    walker.sink.failure({input, reason}, false);
}

bool first_reach(Walker &walker, const FileId &id) {
    return walker.second ? walker.ids.reach(id) : walker.ids.add(id);
}

// Who already has `output`, or empty; takes it for `input` when no one does.
// `owners` is the folder's, or null for an input as given.
std::string owner_of(Walker &walker, const std::string &output, const std::string &input,
                     Owners *owners) {
    if (!owners) {
        if (auto taken = walker.taken_from_given.find(output);
            taken != walker.taken_from_given.end())
            return taken->second;
        auto [owner, fresh] = walker.given_owners.emplace(output, input);
        return fresh ? std::string() : owner->second;
    }
    if (auto owner = walker.given_owners.find(output); owner != walker.given_owners.end())
        return owner->second;
    auto [owner, fresh] = owners->emplace(output, input);
    if (!fresh)
        return owner->second;
    auto given = walker.given_outputs.find(output);
    if (given != walker.given_outputs.end() && given->second > walker.argument)
        walker.taken_from_given.emplace(output, input);
    return {};
}

// The job, or why its output may not be written.
void offer(Walker &walker, ConvertJob &&job) {
    std::string reason = plan_output_check(walker.plan.settings, walker.plan.update, walker.ids,
                                           &walker.listing, &job);
    if (reason.empty())
        walker.sink.job(std::move(job));
    else
        walker.sink.failure({job.input, reason}, true);
}

// A job for a file that is not a folder; whether it is a document the loader
// decides when it opens it. `facts` is null when the path could not be asked
// about: the loader then says why.
void add_job(Walker &walker, const std::string &input, const FileFacts *facts,
             const std::string &output, Owners *owners, bool to_stdout = false) {
    if (facts && !first_reach(walker, facts->id))
        return; // the same file named twice is converted once
    std::string owner = owner_of(walker, output, input, owners);
    if (!owner.empty()) {
        if (owner == input)
            return; // named twice, and not there to ask about
        fail(walker, input,
             "not converted: its output " + output + " is also the output of " + owner);
        return;
    }
    ConvertJob job{input, output, false, to_stdout, 0, 0, {}, {}};
    if (facts) {
        job.size = facts->size;
        job.modified = facts->modified;
        job.input_id = facts->id;
    }
    ++walker.found;
    offer(walker, std::move(job));
}

// The outputs the same folder of given folders walked before has taken:
// its documents, in name order.
void take_outputs_of(Walker &walker, const std::vector<std::string> &folders,
                     const std::string &output_folder, Owners *owners) {
    for (const std::string &folder : folders) {
        std::vector<std::string> names;
        std::string reason;
        if (!folder_names(folder, &names, &reason))
            continue;
        std::sort(names.begin(), names.end());
        for (const std::string &name : names) {
            std::string path = path_joined(folder, name);
            FileFacts facts{};
            if (!is_document_name(name) || !path_unusable(path).empty() ||
                (file_facts(path, &facts, &reason) && facts.kind == FileKind::folder))
                continue;
            owners->emplace(with_extension(path_joined(output_folder, name), extension_of(walker)),
                            path);
        }
    }
}

// Of `folders`, the subfolder `name` of each that a walk enters.
std::vector<std::string> entered(const Walker &walker, const std::vector<std::string> &folders,
                                 const std::string &name) {
    std::vector<std::string> found;
    for (const std::string &folder : folders) {
        std::string path = path_joined(folder, name);
        FileFacts facts{};
        std::string reason;
        if (path_unusable(path).empty() && file_facts(path, &facts, &reason) &&
            facts.kind == FileKind::folder &&
            !(walker.plan.have_output_folder && facts.id == walker.plan.output_folder))
            found.push_back(path);
    }
    return found;
}

// Every document in the tree under `folder`, sorted by name at each level;
// the outputs go to the same place under `output_folder`. `alike` are the
// same folder of the given folders walked before into the same -o.
void add_folder(Walker &walker, const std::string &folder, const std::string &output_folder,
                const std::vector<std::string> &alike) {
    std::vector<std::string> names;
    std::set<std::string> subfolders;
    std::string reason;
    if (!folder_names(folder, &names, &reason, &subfolders)) {
        fail(walker, folder, "cannot read the folder: " + reason);
        return;
    }
    Owners owners;
    take_outputs_of(walker, alike, output_folder, &owners);
    std::sort(names.begin(), names.end());
    for (const std::string &name : names) {
        if (walker.sink.stopped())
            return;
        std::string path = path_joined(folder, name);
        bool listed_folder = subfolders.count(name) > 0;
        // Nothing found is passed over in silence, however deep it lies.
        std::string unusable = path_unusable(path);
        if (!unusable.empty()) {
            if (listed_folder || is_document_name(name))
                fail(walker, path, unusable);
            continue;
        }
        FileFacts facts{};
        bool exists = file_facts(path, &facts, &reason);
        if (!exists && listed_folder) {
            fail(walker, path, "cannot read the folder: " + reason);
            continue;
        }
        // Linked folders are not followed: they could lead round in a circle.
        if (exists && facts.kind == FileKind::folder) {
            if (!(walker.plan.have_output_folder && facts.id == walker.plan.output_folder))
                add_folder(walker, path, path_joined(output_folder, name),
                           entered(walker, alike, name));
            continue;
        }
        if (is_document_name(name))
            add_job(walker, path, exists ? &facts : nullptr,
                    with_extension(path_joined(output_folder, name), extension_of(walker)),
                    &owners);
    }
}

// The output of an input given as a file.
std::string given_output(const Walker &walker, const std::string &input) {
    const std::string &output = walker.options.output;
    if (output.empty())
        return with_extension(input, extension_of(walker));
    if (walker.plan.output_into_folder)
        return with_extension(path_joined(output, input.substr(path_name_start(input))),
                              extension_of(walker));
    return output;
}

} // namespace

void plan_walk(const ConvertOptions &options, const ConvertPlan &plan, bool second, InputIds *ids,
               PlanSink *sink) {
    Walker walker{options, plan, second, *ids, *sink, 0, 0, {}, {}, {}, {}, {}};
    const std::vector<std::string> &inputs = options.inputs;
    std::vector<FileFacts> facts(inputs.size());
    std::vector<bool> exists(inputs.size());
    for (size_t n = 0; n < inputs.size(); ++n) {
        std::string reason;
        if (is_standard_stream(inputs[n]) || !path_unusable(inputs[n]).empty())
            continue;
        exists[n] = file_facts(inputs[n], &facts[n], &reason);
        if (!(exists[n] && is_folder(facts[n])))
            walker.given_outputs.emplace(given_output(walker, inputs[n]), n);
    }
    for (; walker.argument < inputs.size() && !sink->stopped(); ++walker.argument) {
        size_t n = walker.argument;
        const std::string &input = inputs[n];
        if (is_standard_stream(input)) {
            std::string output = options.output;
            if (plan.output_into_folder)
                output =
                    with_extension(path_joined(output, STDIN_DOCUMENT_NAME), extension_of(walker));
            offer(walker, {"", output, true, plan.stdin_to_stdout, 0, 0, {}, {}});
            continue;
        }
        if (std::string unusable = path_unusable(input); !unusable.empty()) {
            fail(walker, input, unusable);
            continue;
        }
        if (exists[n] && is_folder(facts[n])) {
            size_t before = walker.found;
            bool into_output = !options.output.empty();
            add_folder(walker, input, into_output ? options.output : input,
                       into_output ? walker.walked_roots : std::vector<std::string>());
            if (into_output)
                walker.walked_roots.push_back(input);
            if (walker.found == before)
                sink->notice(input + ": no documents (*.krv, *.txt) in this folder");
            continue;
        }
        add_job(walker, input, exists[n] ? &facts[n] : nullptr, given_output(walker, input),
                nullptr, plan.output_to_stdout);
    }
}
