-- wrk script: keyword searches as users type them, all different, so that the server's cache of
-- search pages seldom holds the answer. From every paper record of the catalogue given after
-- "--" (catalogue.tsv) it takes the prefixes of 3, 4 and 5 letters of each word of the name and city, each word whole
-- and the first two words of the name, each searched in the paper's own region; several thousand
-- searches whose pages together are several times the size of the cache, asked in a shuffled
-- order. The Authorization header comes from wrk's -H option.
local scripts = {
    c = "/software/news/tnewscdb.php?region=canada&skwords=",
    u = "/software/news/tnewsudb.php?region=usa&skwords=",
    i = "/software/news/tnewsidb.php?region=international&skwords=",
}
local queries = {}
local counter = 0

local function encode(text)
    return (text:gsub("[^%w%-%._~]", function(c) return string.format("%%%02X", c:byte()) end))
end

function init(args)
    local seen = {}
    local function add(region, words)
        local path = scripts[region] .. encode(words)
        if not seen[path] then
            seen[path] = true
            queries[#queries + 1] = path
        end
    end
    for line in io.lines(args[1]) do
        local region, _, city, name = line:match("^paper\t(%a)\t([^\t]*)\t([^\t]*)\t([^\t]*)\t")
        if region and scripts[region] then
            local first, second = name:match("^(%S+)%s+(%S+)")
            if first then add(region, first .. " " .. second) end
            for word in (name .. " " .. city):gmatch("%w+") do
                add(region, word)
                for length = 3, 5 do
                    if #word > length then add(region, word:sub(1, length)) end
                end
            end
        end
    end
    math.randomseed(47)
    for i = #queries, 2, -1 do
        local j = math.random(i)
        queries[i], queries[j] = queries[j], queries[i]
    end
    counter = math.random(#queries)
end

function request()
    counter = counter % #queries + 1
    return wrk.format("GET", queries[counter])
end
